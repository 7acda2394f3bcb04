// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QListWidget>
#include <QWidget>

#include "assets/window_layout.h"
#include "ui/gauge.h"
#include "ui/image_button.h"
#include "web/download_progress.h"
#include "web/gallery.h"

namespace rabuscal {

class MainFrame;
class WebDwn;

// The gallery of template pictures on the page "Desenho": the bitmap files of
// the working directory ("no HD"), the site's shared drawings ("na PEXO
// online") and the members' drawings ("no club PEXO"). The picture chosen
// last is the gallery picture: the preview shows it stretched, the board
// uses it at its own size. The download gauge G1 follows every fetch of the
// client, the version check's too.
//
// The panel covers the upper part of the page (phrase::Gallery in
// assets/window_layout.h); its controls sit at page coordinates. Presses on
// its empty parts go on to the page, which drags the window.
class GalleryPanel : public QWidget {
    Q_OBJECT
  public:
    GalleryPanel(MainFrame& frame, WebDwn& client, QWidget* page,
                 const QDir& workDir = QDir::current(), const QByteArray& base = web::webBase());

    // The gallery picture at its own size. While nothing has been chosen it
    // becomes, and stays, a white picture of the preview's size (`BufImg`'s).
    const QImage& galleryPicture();
    bool hasChosenPicture() const { return !picture_.isNull(); }
    const QByteArray& GalleryPrefix() const { return gallery_.GalleryPrefix(); }

    QListWidget* Fb1;
    QListWidget* Lbox;
    QFrame* Shape1;
    QLabel* BufImg;
    Gauge* G1;
    ImageButton* btClub;
    QLabel* LbClub;
    ImageButton* btPexo;
    QLabel* LbPexo;
    ImageButton* btHd;
    QLabel* LbHd;
    QLabel* LoginCaption;
    QLineEdit* ClubLogin;  // the club account; typed each run, never stored
    QLabel* PasswordCaption;
    QLineEdit* ClubPassword;

    static constexpr QSize kPreviewSize = rabuscal::assets::gallery::BufImg.place.size();

  signals:
    // A local file or a download became the gallery picture.
    void galleryPictureChanged(const QImage& picture);

  private:
    void btHdMouseDown();
    void Fb1Click();
    void btPexoMouseDown();
    void btClubMouseDown();
    void LboxDblClick();

    void showList(const QList<QByteArray>& names);
    void choosePicture(const LoadedPicture& loaded);

    Gallery gallery_;
    DownloadProgress progress_;
    QList<QByteArray> listed_;  // the names in Lbox, as bytes
    QImage picture_;
};

}  // namespace rabuscal
