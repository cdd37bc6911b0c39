// Reading calendar documents: the record, the reading rules, the messages
// and their positions, number conversion, and the embedded document.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calendar/calendar_json.hpp"
#include "calendar/embedded_document.hpp"

namespace {

using calendar::CalendarJson;
using calendar::read_calendar_json;

const std::string minimal_members =
    R"("TimeWeightings": {}, "DayWeightings": {}, "IanaTimeZone": "UTC")";

std::string read_error(const std::string& text) {
    const auto read = read_calendar_json(text);
    if (read) return "(read succeeded)";
    return read.error().message;
}

struct ErrorCase {
    const char* what;
    std::string text;
    std::string message;
};

// Each message ends with the 1-based line and column of the byte where the
// reader stopped: past a rejected token or closing bracket, at the first
// byte of a rejected number, at the offending byte of a syntax error.
const ErrorCase error_cases[] = {
    {"empty object", "{}", "missing field `TimeWeightings` at line 1 column 3"},
    {"only DayWeightings and IanaTimeZone",
     "{\n  \"DayWeightings\": {},\n  \"IanaTimeZone\": \"UTC\"\n}",
     "missing field `TimeWeightings` at line 4 column 2"},
    {"only TimeWeightings and IanaTimeZone",
     "{\"TimeWeightings\": {}, \"IanaTimeZone\": \"UTC\"}",
     "missing field `DayWeightings` at line 1 column 46"},
    {"zone missing", R"({"TimeWeightings": {}, "DayWeightings": {}})",
     "missing field `IanaTimeZone` at line 1 column 44"},
    {"zone twice", "{" + minimal_members + ",\n \"IanaTimeZone\": \"UTC\"}",
     "duplicate field `IanaTimeZone` at line 2 column 16"},
    {"DayWeightings twice", R"({"DayWeightings": {}, "DayWeightings": {}})",
     "duplicate field `DayWeightings` at line 1 column 38"},
    {"string weight", "{\"TimeWeightings\": {},\n \"DayWeightings\": {\"monday\": \"1\"}}",
     "invalid type: string, expected a number at line 2 column 33"},
    {"boolean weight", R"({"DayWeightings": {"monday": true}})",
     "invalid type: boolean, expected a number at line 1 column 34"},
    {"null weight", R"({"DayWeightings": {"monday": null}})",
     "invalid type: null, expected a number at line 1 column 34"},
    {"array weight", R"({"DayWeightings": {"monday": [1]}})",
     "invalid type: array, expected a number at line 1 column 31"},
    {"object bucket weight", R"({"TimeWeightings": {"monday": {"00:00 - 00:15": {}}}})",
     "invalid type: object, expected a number at line 1 column 50"},
    {"number zone", R"({"IanaTimeZone": 5})", "invalid type: number, expected a string at line 1 column 18"},
    {"profiles as a list", R"({"TimeWeightings": []})",
     "invalid type: array, expected a map of weekday profiles at line 1 column 21"},
    {"day weights as a number", R"({"DayWeightings": 1.5})",
     "invalid type: number, expected a map of weekday weights at line 1 column 19"},
    {"profile as a string", R"({"TimeWeightings": {"monday": "flat"}})",
     "invalid type: string, expected a map of bucket weights at line 1 column 37"},
    {"document as a string", R"("calendar")", "invalid type: string, expected struct CalendarJson at line 1 column 11"},
    {"document as a number", "  42", "invalid type: number, expected struct CalendarJson at line 1 column 3"},
    {"two elements", R"([{}, {}])",
     "invalid length 2, expected struct CalendarJson with 3 elements at line 1 column 9"},
    {"four elements", R"([{}, {}, "UTC", 4])",
     "invalid length 4, expected struct CalendarJson with 3 elements at line 1 column 19"},
    {"wrong element type", R"([{}, "UTC", {}])",
     "invalid type: string, expected a map of weekday weights at line 1 column 11"},
    {"trailing characters", "{" + minimal_members + "}\n x",
     "trailing characters after the document at line 2 column 2"},
    {"a NUL after the document", "{" + minimal_members + "}" + std::string(1, '\0') + " ",
     "trailing characters after the document at line 1 column 67"},
    {"empty text", "", "the document is empty at line 1 column 1"},
    {"only whitespace", " \n\t", "the document is empty at line 2 column 2"},
    {"missing comma", "{\"IanaTimeZone\": \"UTC\"\n \"DayWeightings\": {}}",
     "expected ',' or '}' after a member at line 2 column 2"},
    {"bare word", R"({"IanaTimeZone": UTC})", "invalid value at line 1 column 18"},
    {"unterminated string", R"({"IanaTimeZone": "UTC)", "unterminated string at line 1 column 22"},
    {"invalid UTF-8", "{\"IanaTimeZone\": \"\xff\"}", "invalid UTF-8 in a string at line 1 column 19"},
    {"number beyond the doubles", R"({"DayWeightings": {"monday": 1e400}})",
     "number out of the range of a double at line 1 column 30"},
    {"number just beyond the largest double", R"({"DayWeightings": {"monday": 1.8e308}})",
     "number out of the range of a double at line 1 column 30"},
    {"a skipped number far beyond the doubles", "{" + minimal_members + R"(, "Comment": 1e400})",
     "number out of the range of a double at line 1 column 79"},
    {"a number for the zone", R"({"IanaTimeZone": 1.8e308})",
     "invalid type: number, expected a string at line 1 column 18"},
    {"fraction without digits", R"({"DayWeightings": {"monday": 1.}})",
     "expected digits after the decimal point at line 1 column 32"},
    {"excess nesting in a skipped member", "{\"Comment\": " + std::string(200, '['),
     "nesting deeper than 128 levels at line 1 column 141"},
};

TEST(CalendarJsonRead, ErrorsAndTheirPositions) {
    for (const auto& c : error_cases) {
        EXPECT_EQ(read_error(c.text), c.message) << c.what << "; text: " << c.text;
    }
}

TEST(CalendarJsonRead, MembersInAnyOrderWithUnknownOnesSkipped) {
    const std::string text = R"({
        "Comment": "generated for the tests",
        "IanaTimeZone": "UTC",
        "Nested": {"a": [1, {"b": null, "TimeWeightings": 3}], "c": true, "d": -2.5e3},
        "DayWeightings": {"monday": 1, "friday": 0.9},
        "List": [[], {}, "x", false, 1.8e308],
        "TimeWeightings": {"monday": {"00:00 - 00:15": 2}}
    })";
    const auto read = read_calendar_json(text);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read->IanaTimeZone, "UTC");
    ASSERT_EQ(read->DayWeightings.size(), 2u);
    ASSERT_NE(read->DayWeightings.find("monday"), nullptr);
    EXPECT_EQ(*read->DayWeightings.find("monday"), 1.0);
    EXPECT_EQ(*read->DayWeightings.find("friday"), 0.9);
    ASSERT_EQ(read->TimeWeightings.size(), 1u);
    EXPECT_EQ(*read->TimeWeightings.find("monday")->find("00:00 - 00:15"), 2.0);
}

TEST(CalendarJsonRead, MemberNamesMatchExactly) {
    // A differently cased member is an unknown member, so the real one is missing.
    EXPECT_EQ(read_error(R"({"timeweightings": {}, "DayWeightings": {}, "IanaTimeZone": "UTC"})"),
              "missing field `TimeWeightings` at line 1 column 67");
}

TEST(CalendarJsonRead, RepeatedKeysKeepTheLastValue) {
    const std::string text = R"({
        "TimeWeightings": {
            "monday": {"00:00 - 00:15": 1, "00:15 - 00:30": 2},
            "monday": {"00:30 - 00:45": 3, "00:30 - 00:45": 4}
        },
        "DayWeightings": {"monday": 1, "sunday": 2, "monday": 5},
        "IanaTimeZone": "UTC"
    })";
    const auto read = read_calendar_json(text);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(*read->DayWeightings.find("monday"), 5.0);
    EXPECT_EQ(*read->DayWeightings.find("sunday"), 2.0);
    const calendar::TimeProfile& monday = *read->TimeWeightings.find("monday");
    ASSERT_EQ(monday.size(), 1u) << "the second profile replaces the first one whole";
    EXPECT_EQ(*monday.find("00:30 - 00:45"), 4.0);
}

TEST(CalendarJsonRead, ArrayFormInDeclarationOrder) {
    const auto read = read_calendar_json(R"([{"monday": {"00:00 - 00:15": 7}}, {"monday": 1}, "UTC"])");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read->IanaTimeZone, "UTC");
    EXPECT_EQ(*read->DayWeightings.find("monday"), 1.0);
    EXPECT_EQ(*read->TimeWeightings.find("monday")->find("00:00 - 00:15"), 7.0);
}

struct NumberCase {
    const char* literal;
    double expected;
};

// Every JSON number becomes the nearest double. The long literals are ones
// that a reader rounding from a 17-digit prefix or a scaled accumulator
// gets wrong.
const NumberCase number_cases[] = {
    {"1", 1.0},
    {"-7", -7.0},
    {"0.9", 0.9},
    {"1e2", 100.0},
    {"2.5E-3", 0.0025},
    {"9007199254740993", 9007199254740992.0},  // halfway: ties to even
    {"18446744073709551616", 18446744073709551616.0},
    {"123456789012345678901234567890", 1.2345678901234568e29},
    {"-123456789012345678901234567890", -1.2345678901234568e29},
    {"0.00000000000000000000000", 0.0},
    {"9.7783079724939782021e-97", 9.778307972493977e-97},
    {"1.3888727574195481135197003565e-265", 1.388872757419548e-265},
    {"2.2250738585072011e-308", 2.225073858507201e-308},
    {"4.9e-324", 4.9406564584124654e-324},
    {"1e-400", 0.0},
    {"9.296884883729719", 9.296884883729719},
};

TEST(CalendarJsonRead, NumbersReadAsTheNearestDouble) {
    for (const auto& c : number_cases) {
        const std::string text = std::string(R"({"TimeWeightings": {}, "DayWeightings": {"w": )") + c.literal +
                                 R"(}, "IanaTimeZone": "UTC"})";
        const auto read = read_calendar_json(text);
        ASSERT_TRUE(read) << c.literal << ": " << read.error().message;
        const double computed = *read->DayWeightings.find("w");
        EXPECT_EQ(computed, c.expected) << c.literal << ": computed " << computed;
        EXPECT_EQ(std::signbit(computed), std::signbit(c.expected)) << c.literal;
    }
}

TEST(CalendarJsonRead, IntegerMinusZeroIsZero) {
    const auto read =
        read_calendar_json(R"({"TimeWeightings": {}, "DayWeightings": {"a": -0, "b": -0.0}, "IanaTimeZone": "UTC"})");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_FALSE(std::signbit(*read->DayWeightings.find("a")));
    EXPECT_TRUE(std::signbit(*read->DayWeightings.find("b")));
}

TEST(EmbeddedDocument, ExactlyTheStatedSize) {
    ASSERT_TRUE(calendar::embedded_document("BTCUSDT"));
    EXPECT_EQ(calendar::embedded_document("BTCUSDT")->size(), 33'024u);
    EXPECT_EQ(calendar::btcusdt_document().back(), '}');
    EXPECT_FALSE(calendar::embedded_document("btcusdt"));
    EXPECT_FALSE(calendar::embedded_document(""));
}

TEST(EmbeddedDocument, ReadsIntoSevenDaysOfNinetySixBuckets) {
    const auto read = read_calendar_json(calendar::btcusdt_document());
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read->IanaTimeZone, "US/Eastern");
    const char* days[] = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};
    const double weights[] = {1.0, 1.0, 1.0, 1.0, 0.9, 0.27, 0.53};
    ASSERT_EQ(read->DayWeightings.size(), 7u);
    ASSERT_EQ(read->TimeWeightings.size(), 7u);
    for (int d = 0; d < 7; ++d) {
        ASSERT_NE(read->DayWeightings.find(days[d]), nullptr) << days[d];
        EXPECT_EQ(*read->DayWeightings.find(days[d]), weights[d]) << days[d];
        const calendar::TimeProfile* profile = read->TimeWeightings.find(days[d]);
        ASSERT_NE(profile, nullptr) << days[d];
        EXPECT_EQ(profile->size(), 96u) << days[d];
        // The document is made so that the values, parsed to the nearest
        // doubles and added in time order, give exactly weight x 33600/19.
        double total = 0.0;
        for (const auto& [label, value] : *profile) total += value;
        EXPECT_EQ(total, weights[d] * 33600 / 19) << days[d];
    }
}

// Damaged copies of the embedded document (bytes changed, inserted,
// removed, the text cut short): the reader either succeeds or fails with a
// message that ends with a position inside the text (or just past it).
TEST(CalendarJsonRead, DamagedDocumentsFailWithAPosition) {
    const std::string original(calendar::btcusdt_document());
    const std::string alphabet = "{}[]:,\"\\ \n0123456789.eE+-tfnuxa\x00\xff";
    std::mt19937_64 random(33024);
    for (int i = 0; i < 400; ++i) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = random() % text.size();
            const char byte = alphabet[random() % alphabet.size()];
            switch (random() % 4) {
                case 0: text[at] = byte; break;
                case 1: text.insert(at, 1, byte); break;
                case 2: text.erase(at, 1 + random() % 40); break;
                default: text.resize(at); break;
            }
        }
        const auto read = read_calendar_json(text);
        if (read) continue;
        const std::string& message = read.error().message;
        unsigned long line = 0, column = 0;
        char rest = 0;
        const std::size_t at = message.rfind(" at line ");
        ASSERT_NE(at, std::string::npos) << message;
        ASSERT_EQ(std::sscanf(message.c_str() + at, " at line %lu column %lu%c", &line, &column, &rest), 2)
            << message;
        const auto lines = 1 + static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n'));
        EXPECT_GE(line, 1u) << message;
        EXPECT_LE(line, lines) << message;
        EXPECT_GE(column, 1u) << message;
    }
}

// Labels in any order, repeats included, read like a map filled in document
// order: sorted by key, the last value of a repeated key kept. Descending
// order is the case that an insertion into a sorted vector made quadratic.
TEST(CalendarJsonRead, LabelsInAnyOrderReadLikeAMapFilledInDocumentOrder) {
    std::mt19937_64 random(2024);
    for (const char* order : {"ascending", "descending", "shuffled"}) {
        std::vector<std::string> labels;
        for (int i = 0; i < 20000; ++i) labels.push_back(std::to_string(100000 + i).insert(0, 1, 'k'));
        if (std::string(order) == "descending") std::reverse(labels.begin(), labels.end());
        if (std::string(order) == "shuffled") std::shuffle(labels.begin(), labels.end(), random);
        for (int i = 0; i < 500; ++i) labels.push_back(labels[random() % labels.size()]);  // repeats

        std::map<std::string, double> expected;
        std::string profile;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            expected[labels[i]] = static_cast<double>(i);
            profile.append(i ? ",\"" : "\"").append(labels[i]).append("\":").append(std::to_string(i));
        }
        const std::string text = R"({"TimeWeightings": {"monday": {)" + profile +
                                 R"(}}, "DayWeightings": {)" + profile + R"(}, "IanaTimeZone": "UTC"})";
        const auto read = read_calendar_json(text);
        ASSERT_TRUE(read) << read.error().message;
        for (const auto* map : {read->TimeWeightings.find("monday"), &read->DayWeightings}) {
            ASSERT_EQ(map->size(), expected.size()) << order;
            auto want = expected.begin();
            for (const auto& [key, value] : *map) {
                ASSERT_EQ(key, want->first) << order;
                ASSERT_EQ(value, want->second) << order << " " << key;
                ASSERT_EQ(map->find(key), &value) << order << " " << key;
                ++want;
            }
        }
    }
}

}  // namespace
