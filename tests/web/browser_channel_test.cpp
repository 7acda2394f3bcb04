// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_channel.h"

#include <gtest/gtest.h>

using namespace rabuscal::web::channel;

TEST(BrowserChannel, MessagesArriveWholeWhateverThePiecesAndTheirTextAndOverlongOnesAreDropped) {
    const std::vector<Message> sent = {{"open", "http://127.0.0.1:1/a b?c=\\d"},
                                       {"title", "one\nline\r\nafter \\n another"},
                                       {"show", ""},
                                       {"progress", "70 100"}};
    std::string wire;
    for (const Message& message : sent) wire += encode(message.word, message.argument);
    EXPECT_EQ(std::count(wire.begin(), wire.end(), '\n'), 4) << "one line per message";
    // Byte by byte, as a pipe may hand it over.
    Reader reader;
    std::vector<Message> received;
    for (const char byte : wire)
        for (Message& message : reader.feed(std::string_view(&byte, 1)))
            received.push_back(std::move(message));
    EXPECT_EQ(received, sent);

    // An overlong line is dropped whole, and the next one read.
    Reader bounded(16);
    EXPECT_TRUE(bounded.feed("title " + std::string(20, 'x')).empty());
    EXPECT_TRUE(bounded.feed(std::string(1000, 'y')).empty());
    EXPECT_EQ(bounded.feed("\n\nhide\n"), (std::vector<Message>{{"hide", ""}}))
        << "the rest of the long line and an empty one give nothing";
}
