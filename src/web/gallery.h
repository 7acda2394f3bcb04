// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QStringList>

#include "web/bitmap_file.h"
#include "web/web_address.h"

namespace rabuscal {

class WebDwn;

// The gallery's dealings with the site and the working directory: the two
// lists of shared drawings, the download of one drawing into "img.bmp", and
// the bitmap files found at start-up. The widgets around it only show what
// it returns.
class Gallery {
  public:
    Gallery(WebDwn& client, const QDir& workDir, const QByteArray& base = web::webBase());

    // The area of the site the names of the last list belong to: "" after
    // the public list, "club/" after the club list.
    const QByteArray& GalleryPrefix() const { return GalleryPrefix_; }

    // btPexo: the public list. Basic authentication is switched on; the
    // credentials are those a club fetch left, none before the first one.
    // A failed fetch gives an empty list.
    QList<QByteArray> fetchPublicList();

    // btClub: the members' list, with the club login and password, which
    // stay on the client for every later fetch.
    QList<QByteArray> fetchClubList(const QByteArray& login, const QByteArray& password);

    // Where a drawing of the last list lives. The name is percent-encoded,
    // so names with blanks, "#" or "?" still reach their own file.
    QUrl drawingAddress(const QByteArray& name) const;

    // Fetches the drawing, writes it unchanged to "img.bmp" in the working
    // directory and reads it back. Any failure is returned as the text for
    // the error report; the bytes of a fetched non-bitmap are still written.
    LoadedPicture downloadDrawing(const QByteArray& name);

    // The ordinary "*.bmp" files of the working directory, sorted.
    QStringList localBitmaps() const;
    LoadedPicture loadLocalBitmap(const QString& fileName) const;

    const QDir& workDir() const { return workDir_; }

    static inline const QString kDownloadFileName = QStringLiteral("img.bmp");

  private:
    QList<QByteArray> fetchList();

    WebDwn& client_;
    QDir workDir_;
    QByteArray base_;
    QByteArray GalleryPrefix_;
};

}  // namespace rabuscal
