// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/gallery.h"

#include <QSaveFile>
#include <algorithm>

#include "web/drawing_list.h"
#include "web/web_dwn.h"

namespace rabuscal {

namespace {

// Enough for the first kMaxDrawingNames names of any length a file name can
// have (255 bytes, and the line end): a longer list is read that far.
constexpr qint64 kMaxListBytes = kMaxDrawingNames * (255 + 2);

QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

Gallery::Gallery(WebDwn& client, const QDir& workDir, const QByteArray& base)
    : client_(client), workDir_(workDir), base_(base) {}

QList<QByteArray> Gallery::fetchPublicList() {
    GalleryPrefix_.clear();
    client_.setBasicAuthentication(true);
    return fetchList();
}

QList<QByteArray> Gallery::fetchClubList(const QByteArray& login, const QByteArray& password) {
    GalleryPrefix_ = bytesOf(web::kClubArea);
    client_.setUsername(login);
    client_.setPassword(password);
    client_.setBasicAuthentication(true);
    return fetchList();
}

QList<QByteArray> Gallery::fetchList() {
    const QByteArray path = GalleryPrefix_ + bytesOf(web::kDrawingList);
    Fetched answer = client_.get(web::webAddress(base_, path.toStdString()), kMaxListBytes,
                                 WebDwn::Overflow::KeepFirst);
    if (!answer.ok) return {};
    // The first bytes of a longer list end inside a name: it is left out.
    if (answer.cut) {
        const qsizetype lastEnd =
            std::max(answer.body.lastIndexOf('\n'), answer.body.lastIndexOf('\r'));
        answer.body.truncate(lastEnd + 1);
    }
    return parseDrawingList(answer.body);
}

QUrl Gallery::drawingAddress(const QByteArray& name) const {
    const QByteArray path = GalleryPrefix_ + "rabuscal/" + name.toPercentEncoding() + ".bmp";
    return web::webAddress(base_, path.toStdString());
}

LoadedPicture Gallery::downloadDrawing(const QByteArray& name) {
    const Fetched answer = client_.get(drawingAddress(name), kMaxBitmapFileBytes);
    if (!answer.ok) {
        LoadedPicture failed;
        failed.error = answer.error;
        return failed;
    }
    const QString path = workDir_.filePath(kDownloadFileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(answer.body) != answer.body.size() ||
        !file.commit()) {
        LoadedPicture failed;
        failed.error =
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString());
        return failed;
    }
    return loadBitmapFile(path);
}

QStringList Gallery::localBitmaps() const {
    // Without QDir::Hidden and QDir::System, hidden files, devices, pipes
    // and broken links stay out; the mask matches ".BMP" as well.
    return workDir_.entryList({QStringLiteral("*.bmp")}, QDir::Files,
                              QDir::Name | QDir::IgnoreCase);
}

LoadedPicture Gallery::loadLocalBitmap(const QString& fileName) const {
    return loadBitmapFile(workDir_.filePath(fileName));
}

}  // namespace rabuscal
