// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/chat_window.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "assets/window_layout.h"
#include "client/chat_entry.h"
#include "client/chat_input.h"
#include "ui/look.h"
#include "ui/skin_pictures.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

using rabuscal::client::ChatEntry;
using rabuscal::client::ChatInput;
using rabuscal::client::ChatParagraph;

namespace {

namespace form2 = rabuscal::assets::form2;

QTextEdit* chatView(QWidget* window) {
    auto* chat = new QTextEdit(window);
    chat->setObjectName(QStringLiteral("Chat"));
    chat->setGeometry(form2::Chat.place);
    chat->setReadOnly(true);
    chat->setAcceptRichText(false);
    chat->setUndoRedoEnabled(false);
    chat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    chat->setFrameShape(QFrame::NoFrame);
    chat->setFont(look::arial(12));
    chat->viewport()->setCursor(Qt::ArrowCursor);
    QPalette colours = chat->palette();
    colours.setColor(QPalette::Base, look::kLightField);
    colours.setColor(QPalette::Text, look::kNavy);
    // The selection stays visible when the window loses the focus.
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    chat->setPalette(colours);
    return chat;
}

QPlainTextEdit* phraseField(QWidget* window) {
    auto* field = new QPlainTextEdit(window);
    field->setObjectName(QStringLiteral("Frase"));
    field->setGeometry(form2::Frase.place);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    field->setFrameShape(QFrame::NoFrame);
    field->setFont(look::arial(11, true));
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, look::kWindowColour);
    field->setPalette(colours);
    return field;
}

QLabel* buttonCaption(QWidget* window) {
    auto* label = new QLabel(QStringLiteral("Tentar..."), window);
    label->setObjectName(QStringLiteral("Label29"));
    label->setGeometry(form2::Label29.place);
    label->setFont(look::arial(11, true));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kCaptionBrown);
    label->setPalette(colours);
    return label;
}

// A line break inside a received text stays a break inside its own line of
// the entry, so that an entry is always as many lines as it has paragraphs.
QString oneParagraph(QString text) {
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

TForm2::TForm2()
    : SkinnedWindow(loadSkinPicture(assets::kChatWindow), QStringLiteral("Form2"),
                    QStringLiteral("Chat")),
      Chat(chatView(this)),
      Frase(phraseField(this)),
      btTentar(new ImageButton(faceSet2(), form2::btTentar, this)),
      Label29(buttonCaption(this)) {
    FormCreate();
}

TForm2::~TForm2() {
    FormDestroy();
}

void TForm2::FormCreate() {
    ApplySkinRegion();
    addDragSurface(Label29);
    // `Frase` comes first in the tab order and has the focus when shown.
    setTabOrder(Frase, Chat);
    Frase->setFocus();
    Frase->installEventFilter(this);
    connect(btTentar, &ImageButton::MouseDown, this, &TForm2::btTentarMouseDown);
}

void TForm2::FormDestroy() {
    input_ = nullptr;
}

void TForm2::addChatEntries(const std::vector<ChatEntry>& entries) {
    if (entries.empty()) return;
    // A reader scrolled back through the history stays where they are; one
    // at the end keeps following the game.
    QScrollBar* scroll = Chat->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();

    // Indents come in points; the document lays out in pixels.
    const double pixelsPerPoint = Chat->logicalDpiX() / 72.0;
    QTextCursor cursor(Chat->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    for (const ChatEntry& entry : entries) {
        for (const ChatParagraph& paragraph : entry.paragraphs) {
            // The wrapped lines sit at first indent + offset; the first line is
            // pulled back by the offset.
            QTextBlockFormat block;
            block.setLeftMargin((paragraph.firstIndent + paragraph.offset) * pixelsPerPoint);
            block.setTextIndent(-paragraph.offset * pixelsPerPoint);
            QTextCharFormat characters;
            characters.setForeground(
                QColor(paragraph.colour.red, paragraph.colour.green, paragraph.colour.blue));
            characters.setFontWeight(paragraph.bold ? QFont::Bold : QFont::Normal);
            // The empty view already holds one empty line: the first paragraph
            // goes there.
            if (chatStarted_) {
                cursor.insertBlock(block, characters);
            } else {
                cursor.setBlockFormat(block);
                cursor.setBlockCharFormat(characters);
                chatStarted_ = true;
            }
            cursor.insertText(oneParagraph(fromWire(paragraph.text)), characters);
        }
    }
    cursor.endEditBlock();
    trimOldestLines();
    if (following) scroll->setValue(scroll->maximum());
}

void TForm2::trimOldestLines() {
    QTextDocument* chat = Chat->document();
    const int lines = chat->blockCount();
    const int characters = chat->characterCount();
    if (lines <= kMaximumChatLines && characters <= int(rabuscal::client::kMaximumChatText)) return;
    // Keep at most kLinesKeptAfterTrim lines and four fifths of the text.
    const QTextBlock byLines = chat->findBlockByNumber(std::max(0, lines - kLinesKeptAfterTrim));
    const QTextBlock byText =
        chat->findBlock(std::max(0, characters - int(rabuscal::client::kMaximumChatText) * 4 / 5));
    QTextBlock first = byLines.position() > byText.position() ? byLines : byText;
    // The view starts with an entry: at its opening, empty line.
    for (QTextBlock next = first; next.isValid(); next = next.next()) {
        if (next.text().isEmpty()) {
            first = next;
            break;
        }
    }
    if (first.position() == 0) return;
    QTextCursor cut(chat);
    cut.setPosition(first.position(), QTextCursor::KeepAnchor);
    cut.removeSelectedText();
}

void TForm2::btTentarMouseDown() {
    if (input_ && input_->btTentarMouseDown(toWire(Frase->toPlainText()))) Frase->clear();
}

void TForm2::FraseKeyDown(int key) {
    if (input_) input_->FraseKeyDown(key, toWire(Frase->toPlainText()));
}

void TForm2::FraseKeyUp(int key) {
    if (input_ && input_->FraseKeyUp(key)) Frase->clear();
}

// Enter sends the line at the press and clears `Frase` at the release; the
// key still reaches `Frase` in between, as any other key does.
bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Frase) return SkinnedWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = isEnter(key) ? ChatInput::kEnterKey : 0;
        if (event->type() == QEvent::KeyPress) {
            FraseKeyDown(code);
        } else if (!key->isAutoRepeat()) {
            // A held key repeats its press only; the release comes when it is let go.
            FraseKeyUp(code);
        }
    }
    return false;
}

}  // namespace rabuscal
