#pragma once

#include <array>
#include <string>
#include <string_view>

// Deleting cached files by wildcard mask, and the clean-up the main window runs when it closes.
// Only files lying directly in the folder are touched: never sub-folders or their contents, and
// a symbolic link is removed as a link, never followed. Failures are silent by design.
class CacheCleaner {
public:
    // The masks of the exit clean-up, in the order they are applied.
    static constexpr std::array<const char*, 13> kExitMasks = {"*.jpg", "*.gif",  "*.png", "*.mp3",  "*.mp4",
                                                               "*.ppt", "*.pptx", "*.doc", "*.docx", "*.pdf",
                                                               "*.htm", "*.tmp",  "*.zip"};

    // `folder` ends with "/"; a folder that is a symbolic link is left alone. Matches names without regard to
    // ASCII letter case, dot files included; a file that cannot be deleted is made writable and tried once
    // more.
    static void DeleteFilesByMask(const std::string& folder, std::string_view mask);

    // "*" any run of characters, "?" one character; GBK double-byte characters count as one
    // and only ASCII letters fold case.
    static bool MatchesMask(std::string_view name, std::string_view mask);

    // Removes what writes killed halfway left in `folder`: regular files named exactly `prefix`
    // and six ASCII letters or digits (mkstemp's pattern) whose last change is over a minute
    // old, so a write still running in another instance keeps its file. Nothing else goes.
    static void RemoveInterruptedWrites(const std::string& folder, std::string_view prefix);

    // Whether the teacher ticked "退出时删除缓存".
    enum class OnExit { KeepFiles, DeleteFiles };
    // The close handler's clean-up: with DeleteFiles, applies kExitMasks to the private cache
    // folder as it is found now. It takes no folder, so it can never empty another one.
    static void RunExitCleanup(OnExit choice);
};
