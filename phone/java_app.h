#pragma once
// Installing Java games by drop, without any window: the two games folders, which browse entries
// are games, how dropped files pair up into games, and where each game's files go.

#include <cstdint>
#include <utility>
#include <vector>

#include "core/alist.h"
#include "core/str.h"

// The phone's two games folders; each game is a sub-folder of one of them.
inline constexpr const char16_t* java_games_first = u"/User/Mass/Java/Games/";
inline constexpr const char16_t* java_games_second = u"/AppEx/User/Java/Games/";

// One game of a drop: the str is its name (the .jar file's name without extension).
class javaApp : public str {
public:
    javaApp(const str& name, const str& jar) : str(name), jarPath(jar) {}
    virtual ~javaApp() = default;

    str jadPath; // the local .jad file; empty when none was dropped
    str jarPath; // the local .jar file
};

// A dropped path taken apart. The last "\" or "/" ends the folder; the extension follows the last
// "." after it (empty without one); the stem is the file name without "." and extension.
struct dropped_name {
    str folder; // up to and including the last separator
    str file;   // the file name with its extension
    str stem;
    str extension;
};
dropped_name splitDroppedName(const str& path);

// Whether an extension is "jar" or "jad", letters in either case.
bool isJarExtension(const str& extension);
bool isJadExtension(const str& extension);

// Whether a game name can be a folder of its own: "", "." and ".." (from ".jar", "..jar",
// "...jar") would name the games folder or its parent.
bool usableGameName(const str& name);

// Whether a file list ("|" after each name) holds a file with the extension "jar".
bool holdsJarFile(const str& names);

// Pairs the dropped files into games: one per .jar name (letters in either case; the first .jar of
// a name wins, names that cannot be a folder are skipped), in drop order; then each .jad, in drop
// order, goes to the first game of its name (so of two .jad files of one name the later one
// stays). A .jad without its .jar is ignored. Appends to `apps`.
void pairDroppedFiles(const str& names, alist<javaApp>& apps);

// What a "BrowseEntry" of a games folder means for the games list.
enum class java_entry {
    other_folder, // not a games folder: ignored
    not_a_game,   // a games folder, but a file or a dot name: only the install folder changes
    game,         // a game folder; `path` is the games folder + the name
};
java_entry classifyBrowseEntry(const char16_t* folder, const char16_t* name,
                               std::uint32_t attributes, str* path);

// One game's install: where its files go on the phone. One job does it (InstallGameCommand).
struct java_install {
    str gamesFolder; // the games folder the game goes to
    str folder;      // gamesFolder + the game's name + "/"
    bool makeFolder = false;
    str jarPc, jarPhone;
    str jadPc, jadPhone; // empty when no .jad was dropped
    str settings;        // folder + "appdb/settings.bin"
};

// The installs of `apps` into `installFolder` (the first games folder when empty), in drop order:
// per game its folder, made unless `listed(name)` says the list shows the game, the .jar, the .jad
// when there is one, and the settings file that goes once both are written.
template <class Listed>
std::vector<java_install> installPlans(const alist<javaApp>& apps, const str& installFolder,
                                       Listed listed);

// The folder an install goes to: the one given, or the first games folder when none is known.
str javaInstallFolder(const str& reported);

// ------------------------------------------------------------------------------------------------

template <class Listed>
std::vector<java_install> installPlans(const alist<javaApp>& apps, const str& installFolder,
                                       Listed listed) {
    std::vector<java_install> plans;
    const str base = javaInstallFolder(installFolder);
    for (unsigned i = 0; i < apps.count(); ++i) {
        const javaApp* app = apps[i];
        if (!app || !usableGameName(*app))
            continue;
        java_install plan;
        plan.gamesFolder = base;
        plan.folder = base;
        plan.folder.append(*app);
        plan.folder.append(u'/');
        plan.makeFolder = !listed(static_cast<const str&>(*app));
        plan.jarPc = app->jarPath;
        plan.jarPhone = plan.folder;
        plan.jarPhone.append(splitDroppedName(app->jarPath).file);
        if (!app->jadPath.empty()) {
            plan.jadPc = app->jadPath;
            plan.jadPhone = plan.folder;
            plan.jadPhone.append(splitDroppedName(app->jadPath).file);
        }
        plan.settings = plan.folder;
        plan.settings.append(u"appdb/settings.bin");
        plans.push_back(std::move(plan));
    }
    return plans;
}
