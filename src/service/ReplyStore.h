#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GbkText.h"

// The catalogue replies a lesson needs, kept per account so that a lesson can go on from them
// when the service cannot be reached. Under the private cache folder: replies/ and in it one
// folder per account, named by the SHA-256 of the account's bytes in hex as the remembered place
// is (an account holding "/" or ".." names no other folder), both made with mode 0700. A reply is
// one file named by its operation and the SHA-256 of its request's parameters (which hold the
// book), written whole through a temporary file, mode 0600. Every pick keeps the replies it read,
// and most are the ones kept already: a file that holds the same bytes is left alone, and the
// folder made once is not made again until a write finds it gone.
//
// Nothing here reports a failure: a folder that cannot be made keeps nothing, and a missing or
// unreadable file is a reply not kept. Window thread only.
class ReplyStore {
public:
    // `root` ends with "/".
    explicit ReplyStore(std::string root = defaultRoot());

    // $XDG_CACHE_HOME/lumoclass/replies/ (by default ~/.cache/lumoclass/replies/).
    static std::string defaultRoot();
    static constexpr const char* kTemporaryPrefix = ".lumo-reply-";
    const std::string& root() const { return root_; }

    // The account whose replies are kept and read from now on; none keeps and finds nothing.
    void setAccount(const GbkString& account);
    bool hasAccount() const { return !accountFolder_.empty(); }

    void keep(std::string_view operation, std::string_view request, std::string_view reply) const;
    std::optional<std::string> kept(std::string_view operation, std::string_view request) const;

    // A file of the account's own besides its replies (the member record of the last sign-in).
    void keepNamed(const GbkString& account, std::string_view name, std::string_view bytes) const;
    std::optional<std::string> keptNamed(const GbkString& account, std::string_view name) const;
    // True when a reply is kept for `account`.
    bool hasReplies(const GbkString& account) const;

    // The folders that hold kept files, for the start-up clean-up of interrupted writes.
    std::vector<std::string> accountFolders() const;
    // Deletes every kept file of every account and the folders, never following a link.
    void RemoveAll() const;

private:
    std::string folderOf(const GbkString& account) const;
    static std::string fileName(std::string_view operation, std::string_view request);
    bool makeFolder(const std::string& folder) const;
    void write(const std::string& folder, const std::string& name, std::string_view bytes) const;
    static std::optional<std::string> read(const std::string& path);
    static bool holds(const std::string& path, std::string_view bytes);

    std::string root_;
    std::string accountFolder_;
    // The folder last made or found, so that a run of keeps does not make it again each time.
    mutable std::string madeFolder_;
};
