// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/error_report.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

#include "ui/window_placement.h"

namespace rabuscal {

namespace {

struct OpenReport {
    QPointer<QMessageBox> box;
    QString text;
    int count = 0;
};

OpenReport& current() {
    static OpenReport report;
    return report;
}

QString shownText(const OpenReport& report) {
    if (report.count < 2) return report.text;
    return QStringLiteral("%1\n\n(%2 vezes)").arg(report.text).arg(report.count);
}

QMessageBox* newReportBox() {
    auto* box = new QMessageBox(QMessageBox::Critical, QCoreApplication::applicationName(),
                                QString(), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setTextFormat(Qt::PlainText);
    // The game's windows stay on top; the report must not open behind them.
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}

// Opens the box beside the game's windows rather than over the list or the
// fields whose failure it reports.
void placeAside(QMessageBox* box) {
    QList<QRect> windows;
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window != box && window->isVisible() && !window->isMinimized())
            windows.append(window->frameGeometry());
    QScreen* screen = windows.isEmpty() ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen) screen = QGuiApplication::screenAt(windows.front().center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    box->adjustSize();
    box->move(reportPlacement(box->size(), screen->availableGeometry(), windows));
}

}  // namespace

void reportError(const QString& text) {
    OpenReport& report = current();
    // A closed box may wait for its deletion a little; it no longer counts.
    const bool open = report.box && report.box->isVisible();
    if (open && report.text == text) {
        ++report.count;
    } else {
        if (!open) report.box = newReportBox();
        report.text = text;
        report.count = 1;
    }
    report.box->setText(shownText(report));
    // Placed when it opens; a box the player moved stays where it was put.
    if (!open) placeAside(report.box);
    report.box->show();
    report.box->raise();
}

QMessageBox* openErrorReport() {
    const OpenReport& report = current();
    return report.box && report.box->isVisible() ? report.box.data() : nullptr;
}

}  // namespace rabuscal
