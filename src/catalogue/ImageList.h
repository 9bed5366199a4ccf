#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>

// The pictures of one thumbnail view, in the order they were added; an item's image index is
// its picture's position here. The refresh that fills the view sets the image size first.
class ImageList {
public:
    void setImageSize(QSize size) { size_ = size; }
    QSize imageSize() const { return size_; }

    // Appends the picture and returns its index.
    int Add(const QPixmap& picture);
    void Clear() { images_.clear(); }
    int Count() const { return static_cast<int>(images_.size()); }
    const QPixmap& Item(int index) const { return images_.at(index); }

private:
    QSize size_;
    QList<QPixmap> images_;
};
