// A stand-in tools library that writes every load, call and unload to the
// file named by QM_TOOLS_COUNT_FILE, so tests can see what the binding did.
#include <cstdio>
#include <cstdlib>

namespace {
void note(const char* what)
{
    const char* path = std::getenv("QM_TOOLS_COUNT_FILE");
    if (!path || !*path)
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", what);
        std::fclose(f);
    }
}
} // namespace

__attribute__((constructor)) static void onLoad()
{
    note("load");
}
__attribute__((destructor)) static void onUnload()
{
    note("unload");
}

extern "C" __attribute__((visibility("default"))) void DoAbout()
{
    note("DoAbout");
}
extern "C" __attribute__((visibility("default"))) void DoQMVC()
{
    note("DoQMVC");
}
