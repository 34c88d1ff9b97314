#pragma once

#include <string>
#include <vector>

namespace qm {

class RegistryStore;

// A file class as the store keeps it under Software\Classes: the extensions
// whose key names the class, and the class's shell\open\command.
struct DesktopFileClass {
    std::string progId;                  // "Quorvel.Manager.PLAYDECK32"
    std::string description;             // the class key's default value; may be empty
    std::string command;                 // a Windows command line with "%1" for the file
    std::vector<std::string> extensions; // lower case, without the dot, sorted
    bool operator==(const DesktopFileClass&) const = default;
};

// Makes the desktop open the files of a class with its command. The store's
// keys are the record; this only mirrors them, so a failure here is reported
// and never undoes the store.
class DesktopAssociations {
public:
    virtual ~DesktopAssociations() = default;
    // False with a message when the class could not be registered; a missing
    // desktop tool (update-mime-database) is not a failure.
    virtual bool registerClass(const DesktopFileClass& fileClass, std::string* error) = 0;
    // Takes back what registerClass gave for the class and the extensions
    // (those the store no longer has): the type, the entry, the defaults.
    virtual bool unregisterClass(const DesktopFileClass& fileClass, std::string* error) = 0;
};

// The freedesktop way, for the current user: a shared-mime-info package under
// $XDG_DATA_HOME/mime/packages for extensions the system has no type for,
// update-mime-database, a desktop entry for the command under
// $XDG_DATA_HOME/applications, and the default application in
// $XDG_CONFIG_HOME/mimeapps.list.
class XdgDesktopAssociations : public DesktopAssociations {
public:
    bool registerClass(const DesktopFileClass& fileClass, std::string* error) override;
    // Entries and packages of the user's or of an install stay; the caches
    // of the folders go once nothing is left that they describe.
    bool unregisterClass(const DesktopFileClass& fileClass, std::string* error) override;
};

// The bridge every export goes through; the XDG one unless replaced.
DesktopAssociations& CurrentDesktopAssociations();
// Installs a bridge (nullptr restores the XDG one); returns the one before.
DesktopAssociations* SetDesktopAssociations(DesktopAssociations* bridge);

// The store's classes that a change of the given keys below Software\Classes
// ("\.vpp", ".vpp", "Quorvel.Manager.PLAYDECK32\shell\open\command") affects:
// a changed extension key brings its class, a changed class key every
// extension naming it. The user's classes (HKEY_CURRENT_USER) win over the
// machine's, as in the shell's merged view. Classes without an open command
// or without an extension are left out.
std::vector<DesktopFileClass> StoreFileClasses(const RegistryStore& store,
                                               const std::vector<std::string>& changedKeys);

// Hands the affected classes to the current bridge; a failing class is told
// on stderr. Returns how many classes were registered.
int ExportFileClassesToDesktop(const RegistryStore& store,
                               const std::vector<std::string>& changedKeys);
// The same on the default store.
int ExportFileClassesToDesktop(const std::vector<std::string>& changedKeys);

// Tells the current bridge that a class and these extensions of it have left
// the store (an uninstall); a failure is told on stderr.
bool WithdrawFileClassFromDesktop(const std::string& progId,
                                  const std::vector<std::string>& extensions);

// The pieces of the XDG bridge, for tests and for the installed files.

// Our MIME type for an extension: "application/x-red-faction-" + the
// extension, except "text/x-red-faction-tbl" for table files.
std::string DesktopMimeTypeFor(const std::string& extension);
// The type the system (the shared-mime-info databases of $XDG_DATA_DIRS)
// already gives "*.ext", or "" when it knows none.
std::string SystemMimeTypeFor(const std::string& extension);
// The desktop file name of a class: the ProgID with characters a desktop
// file ID cannot hold replaced, + ".desktop".
std::string DesktopEntryIdFor(const std::string& progId);
// Exec of a Windows command line: its arguments quoted by the Desktop Entry
// rules, "%1" (or "%L") as %f; without one, %f is added at the end. Empty when
// the command names no program.
std::string DesktopExecFromCommand(const std::string& command);
// The shared-mime-info package that gives the extension its type.
std::string MimePackageXml(const std::string& extension, const std::string& mimeType,
                           const std::string& comment);

// Marks a .desktop launcher as trusted where gio exists (true when it does not).
bool MarkLauncherTrusted(const std::string& path, std::string* error);

} // namespace qm
