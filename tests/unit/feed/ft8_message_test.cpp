// The spot of every kind of FT8 and FT4 message, and the messages that are none.
#include "feed/ft8_message.h"

#include <gtest/gtest.h>

#include <string>

namespace feed {
namespace {

struct MessageCase {
  const char* message;
  MessageSpot::Kind kind;
  const char* call;
  const char* locator;
};

constexpr auto spot = MessageSpot::Kind::Spot;
constexpr auto unsure = MessageSpot::Kind::LowConfidence;
constexpr auto none = MessageSpot::Kind::NoSender;

class Messages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(Messages, GiveTheirSendersSpot) {
  const MessageCase& expected = GetParam();
  const MessageSpot found = spotOfMessage(expected.message);
  EXPECT_EQ(found.kind, expected.kind) << expected.message;
  EXPECT_EQ(std::string(found.call), expected.call) << expected.message;
  EXPECT_EQ(std::string(found.locator), expected.locator) << expected.message;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Messages,
    ::testing::Values(
        // Calls: CQ, QRZ and DE with a directive or none, with a grid or none.
        MessageCase{"CQ K8TB EM79", spot, "K8TB", "EM79"},
        MessageCase{"CQ ON75LGE", spot, "ON75LGE", ""},
        MessageCase{"CQ DX K4OP EM77", spot, "K4OP", "EM77"},
        MessageCase{"CQ POTA N1ABC FN31", spot, "N1ABC", "FN31"},
        MessageCase{"CQ TEST BG2KAJ/R PN23", spot, "BG2KAJ/R", "PN23"},
        MessageCase{"CQ 599 OE1RDU/3", spot, "OE1RDU/3", ""},
        MessageCase{"QRZ W9XX EN52", spot, "W9XX", "EN52"},
        MessageCase{"DE PJ4/K1ABC", spot, "PJ4/K1ABC", ""},
        MessageCase{"CQ <DA0LHT/LH> JO44", spot, "DA0LHT/LH", "JO44"},
        MessageCase{"CQ RU", none, "", ""}, MessageCase{"CQ FIELD K1ABC", none, "", ""},
        // Replies, reports and exchanges: the sender is the second call.
        MessageCase{"PD1JFB OK1UU +05", spot, "OK1UU", ""},
        MessageCase{"PD1JFB OK1UU RR73", spot, "OK1UU", ""},
        MessageCase{"<...> OK1ASG JN79", spot, "OK1ASG", "JN79"},
        MessageCase{"IO0WRTC <2E0TFC> 73", spot, "2E0TFC", ""},
        MessageCase{"RZ3C/QRP <...> 73", spot, "<...>", ""},
        MessageCase{"W9XX JA9LJS R PM86", spot, "JA9LJS", "PM86"},
        MessageCase{"K3JYD VP9NM RRR", spot, "VP9NM", ""},
        MessageCase{"W3XOX W9SBE R-14", spot, "W9SBE", ""},
        MessageCase{"M0IOW IW1ENZ JN44          a7", spot, "IW1ENZ", "JN44"},
        // Multi-stream messages.
        MessageCase{"G8SHF RR73; K1ABB <IB0DX> -10", spot, "IB0DX", ""},
        MessageCase{"TU; JD2AYN ZA4LYJ 579 6465", spot, "ZA4LYJ", ""},
        // Low confidence, whatever the words look like.
        MessageCase{"K1ABC W9XYZ EN52             ?", unsure, "", ""},
        MessageCase{"CQ K1ABC FN42                ? a3", unsure, "", ""},
        // No sender: free text (question marks included), telemetry, a hashed own call.
        MessageCase{"TNX 73 GL", none, "", ""}, MessageCase{"HOW R U?", none, "", ""},
        MessageCase{"<TA4SSK> ANGER", none, "", ""}, MessageCase{"0A1B2C3D4E5F6G7H", none, "", ""},
        MessageCase{"", none, "", ""}));

}  // namespace
}  // namespace feed
