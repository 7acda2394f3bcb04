// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/gallery_panel.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include "bitmap_files.h"
#include "http_fixture.h"
#include "support/application.h"
#include "ui/error_report.h"
#include "ui/main_frame.h"
#include "web/web_dwn.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

namespace {

using web_test::bmpBytes;
using web_test::writeFile;

struct FrameStub : MainFrame {
    void selectPage(Page) override {}
    Page currentPage() const override { return Page::Desenho; }
    void setStatus(const QString&) override {}
    QString status() const override { return {}; }
    void setHoverCaption(const QString&) override {}
    void makeDragSurface(QWidget* control) override { dragSurfaces.append(control); }
    QList<QWidget*> dragSurfaces;
};

QString reportedError() {
    QMessageBox* box = openErrorReport();
    return box ? box->text() : QString();
}

void closeErrorReport() {
    if (QMessageBox* box = openErrorReport()) box->close();
    QCoreApplication::processEvents();
}

class GalleryPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(workDir.filePath("casa.bmp"), bmpBytes({50, 40}, qRgb(0, 0, 255)));
        writeFile(workDir.filePath("arvore.bmp"), bmpBytes({60, 30}, qRgb(0, 255, 0)));
        writeFile(workDir.filePath("quebrado.bmp"), bmpBytes({60, 30}, 0).left(80));
        site.setHandler([this](const HttpFixture::Request& request) {
            if (request.path.endsWith("lista.txt"))
                return listFails ? HttpFixture::status(500, "Internal Server Error")
                                 : HttpFixture::ok("gato\r\ncasa de praia\r\nsol");
            if (request.path.endsWith("/sol.bmp")) return HttpFixture::ok("not a bitmap");
            return HttpFixture::ok(bmpBytes({300, 200}, qRgb(255, 0, 0)));
        });
        panel = std::make_unique<GalleryPanel>(frame, client, nullptr, QDir(workDir.path()),
                                               site.base());
        panel->show();
        closeErrorReport();
    }
    void TearDown() override { closeErrorReport(); }

    void press(ImageButton* button) {
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
    }
    void doubleClickListed(int row) {
        QListWidgetItem* item = panel->Lbox->item(row);
        panel->Lbox->setCurrentItem(item);
        panel->Lbox->doItemsLayout();
        const QPoint centre = panel->Lbox->visualItemRect(item).center();
        QTest::mouseClick(panel->Lbox->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(panel->Lbox->viewport(), Qt::LeftButton, {}, centre);
    }
    QStringList listed(QListWidget* list) const {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
        return names;
    }
    QByteArray lastPath() const { return site.requests().last().path; }

    QApplication& app = guiApplication();
    QTemporaryDir workDir;
    HttpFixture site;
    WebDwn client;
    FrameStub frame;
    bool listFails = false;
    std::unique_ptr<GalleryPanel> panel;
};

TEST_F(GalleryPanelTest, StartsWithTheLocalFilesAndAWhitePictureAndAChosenFileReplacesIt) {
    EXPECT_EQ(listed(panel->Fb1), (QStringList{"arvore.bmp", "casa.bmp", "quebrado.bmp"}));
    EXPECT_FALSE(panel->Lbox->isVisible());
    EXPECT_TRUE(frame.dragSurfaces.contains(panel->BufImg));
    EXPECT_FALSE(panel->hasChosenPicture());
    const QImage& empty = panel->galleryPicture();
    EXPECT_EQ(empty.size(), QSize(225, 132));
    EXPECT_EQ(empty.pixel(100, 60), qRgb(255, 255, 255));

    // A file that appears later waits for the next start.
    writeFile(workDir.filePath("novo.bmp"), bmpBytes({4, 4}, 0));
    EXPECT_EQ(panel->Fb1->count(), 3);

    panel->Fb1->setCurrentRow(1);
    EXPECT_EQ(panel->galleryPicture().size(), QSize(50, 40));
    EXPECT_EQ(panel->BufImg->size(), QSize(225, 132));
    EXPECT_TRUE(reportedError().isEmpty());

    panel->Fb1->setCurrentRow(2);  // quebrado.bmp is cut short
    EXPECT_EQ(reportedError(), "Bitmap image is not valid");
    EXPECT_EQ(panel->galleryPicture().size(), QSize(50, 40)) << "the earlier picture stays";
}

TEST_F(GalleryPanelTest, PublicListDownloadsTheDoubleClickedDrawingOrReportsWhatIsNoBitmap) {
    press(panel->btPexo);
    EXPECT_TRUE(panel->Lbox->isVisible());
    EXPECT_EQ(listed(panel->Lbox), (QStringList{"gato", "casa de praia", "sol"}));
    EXPECT_EQ(panel->GalleryPrefix(), "");

    doubleClickListed(1);
    EXPECT_EQ(lastPath(), "/rabuscal/casa%20de%20praia.bmp");
    EXPECT_EQ(panel->galleryPicture().size(), QSize(300, 200)) << "kept at its own size";
    EXPECT_TRUE(QFile::exists(workDir.filePath("img.bmp")));
    EXPECT_EQ(panel->G1->position(), 0) << "the gauge empties when the transfer ends";

    doubleClickListed(2);  // sol.bmp is no bitmap
    EXPECT_EQ(reportedError(), "Bitmap image is not valid");
    EXPECT_EQ(panel->galleryPicture().size(), QSize(300, 200)) << "the earlier picture stays";
    QFile written(workDir.filePath("img.bmp"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "not a bitmap");
    closeErrorReport();

    // A failed list stays visible and empty, without a message.
    listFails = true;
    press(panel->btClub);
    EXPECT_TRUE(panel->Lbox->isVisible());
    EXPECT_EQ(panel->Lbox->count(), 0);
    EXPECT_TRUE(reportedError().isEmpty());
}

TEST_F(GalleryPanelTest, ClubListUsesTheTypedLoginAndTheClubArea) {
    panel->ClubLogin->setText("pexo");
    panel->ClubPassword->setText("senha");
    press(panel->btClub);
    EXPECT_EQ(lastPath(), "/club/rabuscal/lista.txt");
    EXPECT_EQ(site.requests().last().header("Authorization"),
              "Basic " + QByteArray("pexo:senha").toBase64());

    // Hiding the list keeps its area for the next download.
    press(panel->btHd);
    EXPECT_FALSE(panel->Lbox->isVisible());
    EXPECT_EQ(panel->GalleryPrefix(), "club/");
    doubleClickListed(0);
    EXPECT_EQ(lastPath(), "/club/rabuscal/gato.bmp");
}

}  // namespace
