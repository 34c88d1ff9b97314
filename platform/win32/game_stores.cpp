// Lutris and Heroic keep Wine games of a Linux desktop; on Windows the game
// is found through the registry its installer (or Steam) wrote, so these
// stores list nothing there.
#include "launcher/game_stores.h"

namespace playdeck {

std::vector<StoreGame> LutrisGames()
{
    return {};
}

std::vector<StoreGame> HeroicGames()
{
    return {};
}

} // namespace playdeck
