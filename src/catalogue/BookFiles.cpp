#include "BookFiles.h"

#include <set>

#include "cache/CacheFileName.h"

std::string PagePicturePath(const std::string& cacheFolder, const TPageObj& page) {
    return gbk::joinPath(cacheFolder, CacheFileName::PageFileName(page.pageid, page.pagefile));
}

std::string MediaPicturePath(const std::string& cacheFolder, const GbkString& address) {
    return gbk::joinPath(cacheFolder, CacheFileName::UrlFileName(address));
}

GbkString ClipPictureAddress(const TMediaClipObj& clip) {
    return clip.filename + ".jpg";
}

std::vector<BookFile> BookFileList(const std::string& cacheFolder, const BookRecords& records) {
    std::vector<BookFile> files;
    std::set<std::string> listed;
    const auto add = [&](BookFile::Kind kind, const GbkString& address, const GbkString& name) {
        if (!CacheFileName::IsSafe(name.view())) return;
        std::string path = gbk::joinPath(cacheFolder, name);
        if (!listed.insert(path).second) return;
        files.push_back(BookFile{kind, address, std::move(path), name});
    };
    for (std::size_t i = 0; i < records.pages.Count(); ++i) {
        const TPageObj& page = *records.pages.Items(i);
        add(BookFile::Kind::Page, page.pagefile, CacheFileName::PageFileName(page.pageid, page.pagefile));
    }
    const auto addPicture = [&](const GbkString& address) {
        add(BookFile::Kind::Picture, address, CacheFileName::UrlFileName(address));
    };
    for (std::size_t i = 0; i < records.scenes.Count(); ++i)
        addPicture(records.scenes.Items(i)->CoverFileName);
    for (std::size_t i = 0; i < records.miniLectures.Count(); ++i)
        addPicture(records.miniLectures.Items(i)->CoverFileName);
    for (std::size_t i = 0; i < records.words.Count(); ++i)
        addPicture(records.words.Items(i)->PictureFileName);
    for (std::size_t i = 0; i < records.clips.Count(); ++i)
        addPicture(ClipPictureAddress(*records.clips.Items(i)));
    return files;
}
