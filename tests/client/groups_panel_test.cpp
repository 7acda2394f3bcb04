// SPDX-License-Identifier: GPL-3.0-or-later
// The lobby's group list against a directory on loopback: asking for the
// groups, the lists that come back, picking one, and the directory's texts.

#include "client/ui/groups_panel.h"

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "support/application.h"
#include "support/loopback_peer.h"
#include "ui/main_frame.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

namespace {

using rabuscal::directory::DirectoryConnection;
using rabuscal::support::waitFor;
using ScriptedDirectory = rabuscal::support::ListeningPeer;

// The main window as the lobby sees it: a status line and nothing else.
struct StatusOnlyFrame : MainFrame {
    QString text = QStringLiteral("Status");
    void selectPage(Page) override {}
    Page currentPage() const override { return Page::Servidor; }
    void setStatus(const QString& t) override { text = t; }
    QString status() const override { return text; }
    void setHoverCaption(const QString&) override {}
    void makeDragSurface(QWidget*) override {}
};

class GroupsPanelTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { guiApplication(); }

    GroupsPanelTest() {
        directory_ =
            std::make_unique<DirectoryConnection>(QStringLiteral("127.0.0.1"), service_.port());
        panel_ = std::make_unique<GroupsPanel>(frame_, servidor_, &page_);
        panel_->attach(*directory_);
    }

    void pressGroups() { QTest::mouseClick(panel_->btGrp, Qt::LeftButton); }

    // Presses btGrp and answers with `reply` once the request is in.
    void askAndAnswer(std::string_view reply) {
        const QByteArray before = service_.received;
        pressGroups();
        ASSERT_TRUE(waitFor([&] { return service_.received == before + "j#gjgs:rabuscal"; }));
        service_.say(QByteArray(reply.data(), static_cast<qsizetype>(reply.size())));
    }

    QStringList names() const {
        QStringList shown;
        for (int row = 0; row < panel_->Grupos->count(); ++row)
            shown << panel_->Grupos->item(row)->text();
        return shown;
    }
    bool waitNames(const QStringList& expected) {
        return waitFor([&] { return names() == expected; });
    }

    ScriptedDirectory service_;
    StatusOnlyFrame frame_;
    QWidget page_;
    QLineEdit servidor_{&page_};
    std::unique_ptr<DirectoryConnection> directory_;
    std::unique_ptr<GroupsPanel> panel_;
};

TEST_F(GroupsPanelTest, ListedGroupsShowInOrderPickingOneFillsTheServerFieldAndPressesAskAgain) {
    EXPECT_EQ(panel_->Shp2->colour(), Lamp::kMaroon);
    askAndAnswer("j#glsg:zeta|10.0.0.9^S\xe3o Jo\xe3o|host.example^");
    EXPECT_TRUE(waitNames({QStringLiteral("zeta"), QStringLiteral("São João")}));
    EXPECT_EQ(panel_->Shp2->colour(), Lamp::kLime);
    EXPECT_EQ(servidor_.text(), QString()) << "listing alone fills nothing in";

    panel_->Grupos->setCurrentRow(1);
    EXPECT_EQ(servidor_.text(), QStringLiteral("host.example"));
    panel_->Grupos->setCurrentRow(0);
    EXPECT_EQ(servidor_.text(), QStringLiteral("10.0.0.9"));

    askAndAnswer("j#glsg:");
    EXPECT_TRUE(waitNames({}));
    EXPECT_EQ(servidor_.text(), QStringLiteral("10.0.0.9")) << "an empty list leaves the choice";

    // A press while connected empties the status, turns the lamp red and asks again.
    askAndAnswer("j#gmsg:Bem-vindo");
    ASSERT_TRUE(waitFor([&] { return frame_.text == ">>> Bem-vindo"; }));
    ASSERT_EQ(panel_->Shp2->colour(), Lamp::kLime);
    const QByteArray before = service_.received;
    pressGroups();
    EXPECT_EQ(frame_.text, QString());
    EXPECT_EQ(panel_->Shp2->colour(), Lamp::kRed);
    EXPECT_TRUE(waitFor([&] { return service_.received == before + "j#gjgs:rabuscal"; }));
    EXPECT_EQ(service_.connections(), 1);
}

TEST_F(GroupsPanelTest, OnlyThePlayersPickChangesTheServerFieldNotARefillOrTheFocus) {
    askAndAnswer("j#glsg:sala|10.0.0.5^outra|10.0.0.6^");
    ASSERT_TRUE(waitNames({QStringLiteral("sala"), QStringLiteral("outra")}));
    servidor_.setText(QStringLiteral("meu.servidor"));
    QListWidget* grupos = panel_->Grupos;
    // The window comes back to the front and the list takes the focus: Qt
    // then makes its first row current by itself.
    page_.show();
    page_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page_));
    grupos->setFocus(Qt::ActiveWindowFocusReason);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(grupos, &focusIn);
    EXPECT_EQ(grupos->currentRow(), 0);
    EXPECT_EQ(servidor_.text(), QStringLiteral("meu.servidor"));

    // The player's click and arrow keys pick.
    QTest::mouseClick(grupos->viewport(), Qt::LeftButton, {},
                      grupos->visualItemRect(grupos->item(1)).center());
    EXPECT_EQ(servidor_.text(), QStringLiteral("10.0.0.6"));
    QTest::keyClick(grupos, Qt::Key_Up);
    EXPECT_EQ(servidor_.text(), QStringLiteral("10.0.0.5"));

    // A refill while the list has the focus picks nothing either.
    askAndAnswer("j#glsg:nova|10.0.0.7^");
    ASSERT_TRUE(waitNames({QStringLiteral("nova")}));
    QCoreApplication::sendEvent(grupos, &focusIn);
    EXPECT_EQ(servidor_.text(), QStringLiteral("10.0.0.5"));
}

}  // namespace
