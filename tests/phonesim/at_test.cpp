// AT command lines through the pseudo-terminal.

#include <cctype>

#include "tests/phonesim/phone_fixture.h"

namespace {

// The information lines of an answer: the lines between the echo and the result line, without
// the empty ones.
std::vector<std::string> info_lines(const std::string& answer) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : answer) {
        if (c == '\r')
            continue;
        if (c != '\n') {
            current += c;
            continue;
        }
        if (!current.empty())
            lines.push_back(current);
        current.clear();
    }
    // Drop the echo and the result line.
    if (lines.size() >= 2)
        lines = std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
    return lines;
}

bool luhn_valid(const std::string& digits) {
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int d = digits[digits.size() - 1 - i] - '0';
        if (i % 2 == 1)
            d = d * 2 > 9 ? d * 2 - 9 : d * 2;
        sum += d;
    }
    return sum % 10 == 0;
}

} // namespace

TEST_F(PhoneTest, IdentityQuestionsAnswerInTheModemLayout) {
    start();
    // Echo line, empty line, information line, empty line, result line; every line ends CR LF.
    EXPECT_EQ(line->at("AT+CGMI"), "AT+CGMI\r\n\r\nSAMSUNG\r\n\r\nOK\r\n");
    EXPECT_EQ(line->at("AT+CGMM"), "AT+CGMM\r\n\r\nGT-S8500\r\n\r\nOK\r\n");

    const std::vector<std::string> serial = info_lines(line->at("AT+CGSN"));
    ASSERT_EQ(serial.size(), 1u);
    EXPECT_EQ(serial[0].size(), 15u);
    EXPECT_TRUE(luhn_valid(serial[0])) << serial[0];

    // Answers with a "+WORD: " prefix keep the blank after the colon.
    for (const char* command : {"AT+PRODUCTCODE?", "AT+SWVER?", "AT+CBC", "AT+CNUM"}) {
        const std::vector<std::string> info = info_lines(line->at(command));
        ASSERT_EQ(info.size(), 1u) << command;
        std::string word = std::string(command).substr(2);
        if (word.back() == '?')
            word.pop_back();
        EXPECT_EQ(info[0].rfind(word + ": ", 0), 0u) << info[0];
    }
    EXPECT_EQ(info_lines(line->at("AT+CBC"))[0], "+CBC: 0,80");
}

TEST_F(PhoneTest, CommandsAreCaseInsensitiveAndUnknownOnesFail) {
    start();
    EXPECT_EQ(line->at("at+cgmi"), "at+cgmi\r\n\r\nSAMSUNG\r\n\r\nOK\r\n");
    EXPECT_EQ(line->at("AT+NOSUCH"), "AT+NOSUCH\r\n\r\nERROR\r\n");
    EXPECT_EQ(line->at("AT"), "AT\r\n\r\nOK\r\n");
}

TEST_F(PhoneTest, EchoCanBeSwitchedOff) {
    start();
    EXPECT_EQ(line->at("ATE0"), "ATE0\r\n\r\nOK\r\n");
    EXPECT_EQ(line->at("AT+CGMM"), "\r\nGT-S8500\r\n\r\nOK\r\n");
    EXPECT_EQ(line->at("ATE1"), "\r\nOK\r\n");
    EXPECT_EQ(line->at("AT+CGMM"), "AT+CGMM\r\n\r\nGT-S8500\r\n\r\nOK\r\n");
}

TEST_F(PhoneTest, LinesThatAreNoCommandsGetNoAnswer) {
    start();
    ASSERT_TRUE(line->send(std::string("hello\r\n\r\n  \r")));
    EXPECT_TRUE(line->drain(200).empty());
    EXPECT_EQ(phone.counters().at_lines, 0u);
    // A command split over several writes is answered once.
    ASSERT_TRUE(line->send(std::string("AT+C")));
    ASSERT_TRUE(line->send(std::string("BC\r")));
    const bytes answer = line->drain(300);
    EXPECT_EQ(std::string(answer.begin(), answer.end()), "AT+CBC\r\n\r\n+CBC: 0,80\r\n\r\nOK\r\n");
    const phonesim::Counters counters = phone.counters();
    EXPECT_EQ(counters.at_lines, 1u);
    EXPECT_EQ(std::string(counters.last_request.begin(), counters.last_request.end()), "AT+CBC");
}

TEST_F(PhoneTest, ProbeForTheSerialNumberGetsAnAnswerAtOnce) {
    start();
    ASSERT_TRUE(line->send(std::string("AT+CGSN\r")));
    const bytes answer = line->drain(300);
    EXPECT_GE(answer.size(), 2u);
    EXPECT_NE(std::string(answer.begin(), answer.end()).find("OK\r\n"), std::string::npos);
}

TEST_F(PhoneTest, PortCanBeClosedAndOpenedAgainManyTimes) {
    start();
    for (int round = 0; round < 5; ++round) {
        line->close();
        line = std::make_unique<LineClient>(device);
        ASSERT_TRUE(line->ok()) << "round " << round;
        EXPECT_EQ(line->at("AT+CGMM"), "AT+CGMM\r\n\r\nGT-S8500\r\n\r\nOK\r\n")
            << "round " << round;
    }
    // A half-sent line before the close does not spoil the next session.
    const std::uint64_t before = phone.counters().bytes_received;
    ASSERT_TRUE(line->send(std::string("AT+CG")));
    ASSERT_TRUE(
        wait_for([&](const phonesim::Counters& c) { return c.bytes_received == before + 5; }));
    line->close();
    line = std::make_unique<LineClient>(device);
    ASSERT_TRUE(line->ok());
    EXPECT_EQ(line->at("AT+CGMI"), "AT+CGMI\r\n\r\nSAMSUNG\r\n\r\nOK\r\n");
}
