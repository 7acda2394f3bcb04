#include "web/gallery.h"

#include <QSaveFile>

#include "web/drawing_list.h"
#include "web/web_dwn.h"

namespace {

// Lists are a few names; anything far larger is not a list.
constexpr qint64 kMaxListBytes = 1024 * 1024;

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
    const Fetched answer = client_.get(web::webAddress(base_, path.toStdString()), kMaxListBytes);
    if (!answer.ok) return {};
    return parseDrawingList(answer.body);
}

QUrl Gallery::drawingAddress(const QByteArray& name) const {
    const QByteArray path = GalleryPrefix_ + "rabuscal/" + name.toPercentEncoding() + ".bmp";
    return web::webAddress(base_, path.toStdString());
}

LoadedPicture Gallery::downloadDrawing(const QByteArray& name) {
    const Fetched answer = client_.get(drawingAddress(name));
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
