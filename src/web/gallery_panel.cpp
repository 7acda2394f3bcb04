// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/gallery_panel.h"

#include <QPixmap>

#include "assets/window_layout.h"
#include "ui/error_report.h"
#include "ui/look.h"
#include "ui/main_frame.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

namespace {

namespace gallery = rabuscal::assets::gallery;

const QColor kOrange{255, 144, 0};

QListWidget* fileList(QWidget* parent, const QString& name, QRect place) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(place);
    list->setFrameShape(QFrame::Box);  // flat, not sunken
    list->setFrameShadow(QFrame::Plain);
    list->setFont(look::arial(12));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);  // long lists fill quickly
    QPalette colours = list->palette();
    colours.setColor(QPalette::Base, look::kLightField);
    list->setPalette(colours);
    return list;
}

}  // namespace

GalleryPanel::GalleryPanel(MainFrame& frame, WebDwn& client, QWidget* page, const QDir& workDir,
                           const QByteArray& base)
    : QWidget(page), gallery_(client, workDir, base) {
    setObjectName(QStringLiteral("GalleryPanel"));
    setGeometry(rabuscal::assets::phrase::Gallery.place);

    Fb1 = fileList(this, QStringLiteral("Fb1"), gallery::Fb1.place);
    for (const QString& file : gallery_.localBitmaps()) Fb1->addItem(file);
    Lbox = fileList(this, QStringLiteral("Lbox"), gallery::Lbox.place);
    Lbox->hide();

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(gallery::Shape1.place);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Plain);
    Shape1->setLineWidth(1);
    BufImg = new QLabel(this);
    BufImg->setObjectName(QStringLiteral("BufImg"));
    BufImg->setGeometry(gallery::BufImg.place);
    BufImg->setScaledContents(true);
    frame.makeDragSurface(BufImg);

    G1 = new Gauge(QStringLiteral("G1"), this, gallery::G1.place, kOrange, look::kMaroon);
    G1->setMaximum(0);
    progress_.follow(client);
    connect(&progress_, &DownloadProgress::changed, G1, [this](qint64 maximum, qint64 position) {
        G1->setMaximum(maximum);
        G1->setPosition(position);
        G1->repaint();  // the window is held by the fetch; show the bar now
    });

    btClub = new ImageButton(faceSet2(), gallery::btClub, this);
    LbClub = look::caption(this, QStringLiteral("LbClub"), QStringLiteral("no club PEXO"),
                           gallery::LbClub.place);
    btPexo = new ImageButton(faceSet2(), gallery::btPexo, this);
    LbPexo = look::caption(this, QStringLiteral("LbPexo"), QStringLiteral("na PEXO online"),
                           gallery::LbPexo.place);
    btHd = new ImageButton(faceSet2(), gallery::btHd, this);
    LbHd =
        look::caption(this, QStringLiteral("LbHd"), QStringLiteral("no HD"), gallery::LbHd.place);

    LoginCaption = look::caption(this, QStringLiteral("LoginCaption"), QStringLiteral("login:"),
                                 gallery::LoginCaption.place);
    ClubLogin = look::field(this, QStringLiteral("ClubLogin"), gallery::ClubLogin.place,
                            look::arial(11));
    PasswordCaption = look::caption(this, QStringLiteral("PasswordCaption"),
                                    QStringLiteral("senha:"), gallery::PasswordCaption.place);
    ClubPassword = look::field(this, QStringLiteral("ClubPassword"), gallery::ClubPassword.place,
                               look::arial(11));
    ClubPassword->setEchoMode(QLineEdit::Password);
    for (QLabel* label : {LoginCaption, PasswordCaption})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The buttons act on the press; each has drawn its pressed face before
    // the fetch holds the window.
    connect(btHd, &ImageButton::MouseDown, this, &GalleryPanel::btHdMouseDown);
    connect(btPexo, &ImageButton::MouseDown, this, &GalleryPanel::btPexoMouseDown);
    connect(btClub, &ImageButton::MouseDown, this, &GalleryPanel::btClubMouseDown);
    // Selection, not the current row: a list that takes the focus gets a current
    // row by itself, and that must not load a picture.
    connect(Fb1, &QListWidget::itemSelectionChanged, this, &GalleryPanel::Fb1Click);
    connect(Lbox, &QListWidget::itemDoubleClicked, this, &GalleryPanel::LboxDblClick);
}

const QImage& GalleryPanel::galleryPicture() {
    if (picture_.isNull()) {
        picture_ = QImage(kPreviewSize, QImage::Format_RGB32);
        picture_.fill(Qt::white);
        BufImg->setPixmap(QPixmap::fromImage(picture_));
    }
    return picture_;
}

void GalleryPanel::btHdMouseDown() {
    Lbox->hide();
}

void GalleryPanel::Fb1Click() {
    const QList<QListWidgetItem*> selected = Fb1->selectedItems();
    if (selected.isEmpty()) return;
    choosePicture(gallery_.loadLocalBitmap(selected.first()->text()));
}

void GalleryPanel::btPexoMouseDown() {
    Lbox->show();
    Lbox->raise();
    showList({});
    showList(gallery_.fetchPublicList());
}

void GalleryPanel::btClubMouseDown() {
    Lbox->show();
    Lbox->raise();
    showList({});
    showList(gallery_.fetchClubList(QByteArray::fromStdString(toWire(ClubLogin->text())),
                                    QByteArray::fromStdString(toWire(ClubPassword->text()))));
}

void GalleryPanel::LboxDblClick() {
    const int row = Lbox->currentRow();
    if (row < 0 || row >= listed_.size()) {
        reportError(QStringLiteral("List index out of bounds (%1)").arg(row));
        return;
    }
    choosePicture(gallery_.downloadDrawing(listed_[row]));
}

void GalleryPanel::showList(const QList<QByteArray>& names) {
    listed_ = names;
    QStringList shown;
    shown.reserve(names.size());
    for (const QByteArray& name : names)
        shown.append(fromWire(std::string_view(name.constData(), size_t(name.size()))));
    Lbox->clear();
    Lbox->addItems(shown);
}

void GalleryPanel::choosePicture(const LoadedPicture& loaded) {
    if (!loaded.ok()) {
        reportError(loaded.error);  // the earlier picture stays
        return;
    }
    picture_ = loaded.picture;
    BufImg->setPixmap(QPixmap::fromImage(picture_));
    emit galleryPictureChanged(picture_);
}

}  // namespace rabuscal
