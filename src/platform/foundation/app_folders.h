// The application's own folders under $ZELVAN_HOME (default ~/.local/share/zelvan): Documents (with
// the core's folder named after the bundle identifier), Library, Library/Caches,
// Library/Preferences and a private tmp folder.
#pragma once

#include <string>

namespace fnd {

// Folders a caller can look up by kind; the first three keep the platform's original numbers.
enum class Directory { Library = 5, Documents = 9, Caches = 13, Preferences = 100, Temporary = 101 };

class AppFolders {
public:
    // The application root: $ZELVAN_HOME when set (made absolute), else ~/.local/share/zelvan.
    static std::string root();
    static std::string documents();
    // <Documents>/<bundle identifier>, where the core keeps its files.
    static std::string appDocuments();
    static std::string library();
    static std::string caches();
    static std::string preferences();
    // <root>/tmp, private to this application.
    static std::string temporary();
    static std::string searchPath(Directory directory);

    // Creates every folder above that is missing; false (logged) when one cannot be created.
    static bool setUp();
    // Forgets the resolved root, so the next call reads $ZELVAN_HOME again.
    static void reset();
};

} // namespace fnd
