#pragma once

#include "foundation/string.h"
#include "foundation/time.h"

#include <cstdint>
#include <mutex>
#include <string>

// The program's folders and the signed-in user's data folders. The process's
// current folder is never changed: the GoTo operations create a folder, store
// its absolute path and record it as the calling thread's entered folder,
// which GetCurrentDir returns. Every folder ends with '/'.
class TNDirs {
public:
    // Maker and product folder names (App.DirProducer, App.DirName).
    TNString ProducerDirName;
    TNString ProductDirName;
    // The signed-in user's folder name; set at sign-in.
    TNString UserDirName;
    TNString AppFile;
    TNString AppDir;
    // Last change of the program file, local time (the About page).
    TNTime AppFileTime;
    TNString UpdateDir;
    TNString UserDir;
    TNString UserUpdateDir;
    TNString UserTempDir;
    TNString UsersSetupFile;
    TNString CommonAppData;
    TNString AppData;
    TNString SystemTempDir;
    TNString TempDir;

    TNDirs();
    ~TNDirs();
    TNDirs(const TNDirs&) = delete;
    TNDirs& operator=(const TNDirs&) = delete;

    bool GoToAppDir();
    bool GoToRootDir();
    bool GoToUsersDir(bool portable, bool withUser, bool withProduct);
    // Creates the users folder when missing; false when this user cannot
    // write in it, so nothing could be saved. `folder` names it either way.
    bool UsersDirIsWritable(bool portable, std::string& folder);
    bool GoToUserDir(bool portable);
    bool GoToUpdateDir(bool portable);
    bool GoToTempDir();

    // Creates every missing folder of the path; a relative path lies in the
    // thread's entered folder. True when the folder exists afterwards.
    bool CreatePath(const char* path);
    // The calling thread's entered folder, else the process's current one.
    bool GetCurrentDir(TNString& out);

    // The file's last-write time as a local time value; false when the
    // file cannot be asked.
    bool GetFileTime(const char* path, TNTime& out);

    // Deletes the files of the folder that match the pattern ("*.*" is
    // every file), descends into its sub-folders the same way and removes
    // those left empty. Refuses relative folders, "/", the home folder and
    // the data roots; never follows a symbolic link.
    bool DeleteDirTree(const char* folder, const char* pattern);

    // The installation id in "instid.dat"; 0 when missing or short.
    uint32_t LoadInstID();
    bool SaveInstID(uint32_t id);

    // A folder name that is safe as one path element.
    static bool IsSafeFolderName(std::string_view name);

private:
    // The program folder, worked out once; empty when unknown.
    std::string ProgramFolder();
    bool Enter(const std::string& folder, TNString* store);
    std::string UsersFolder(bool portable) const;
    std::string InstIdPath();

    std::mutex mutex_;
};

extern TNDirs& Dirs;

// The calling thread's entered folder (empty when none), and the absolute
// path of a name in it.
std::string EnteredFolderOfThread();
void EnterFolderForThread(const std::string& folder);
std::string PathInEnteredFolder(const std::string& name);
