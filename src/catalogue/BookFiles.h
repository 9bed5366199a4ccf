#pragma once

#include <string>
#include <vector>

#include "TMaterialObj.h"
#include "TMediaClipObj.h"
#include "TMiniLectureObj.h"
#include "TObjectList.h"
#include "TPageObj.h"
#include "TWordObj.h"
#include "service/GbkText.h"

// Where each picture of a book is cached and where it comes from. The sheets that show the
// pictures and the lesson preparation that fetches them ahead use these same functions, so a
// prepared file is the very file a sheet looks for.

// A textbook page's picture: the trimmed page id and the picture's extension.
std::string PagePicturePath(const std::string& cacheFolder, const TPageObj& page);
// A media list's picture: the address's last part.
std::string MediaPicturePath(const std::string& cacheFolder, const GbkString& address);
// A phonics clip's picture address.
GbkString ClipPictureAddress(const TMediaClipObj& clip);

// The records a book's pictures are listed from; the media lists hold the whole book's records
// (every unit) and the clips, which belong to no book.
struct BookRecords {
    const TObjectList<TPageObj>& pages;
    const TObjectList<TMaterialObj>& scenes;
    const TObjectList<TMiniLectureObj>& miniLectures;
    const TObjectList<TWordObj>& words;
    const TObjectList<TMediaClipObj>& clips;
};

struct BookFile {
    enum class Kind { Page, Picture };
    Kind kind;
    GbkString address;  // as the sheet asks for it
    std::string localPath;
    GbkString name;  // the cache file's name, to tell the teacher which file failed
};

// Every picture of the book, once each (by cache path): the pages in page order, then the scene
// and mini-lecture covers, the word pictures and the clip pictures. A name that could not be
// cached at all (empty, or leaving the folder) is left out.
std::vector<BookFile> BookFileList(const std::string& cacheFolder, const BookRecords& records);
