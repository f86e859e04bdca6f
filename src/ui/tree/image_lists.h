#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

namespace varkel {

// Images drawn once and found by key, shared by the controls they are attached to.
class ImageList {
  public:
    void add(const QString& key, const QIcon& image) { images_.insert(key, image); }
    QIcon image(const QString& key) const { return images_.value(key); }
    bool contains(const QString& key) const { return images_.contains(key); }

  private:
    QHash<QString, QIcon> images_;
};

// The tree's images: "tables", "table", "view", "synonym", "col", "col_v", "desc".
ImageList TreeImageList();

}  // namespace varkel
