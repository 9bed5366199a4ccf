#include "ImageList.h"

int ImageList::Add(const QPixmap& picture) {
    images_.append(picture);
    return Count() - 1;
}
