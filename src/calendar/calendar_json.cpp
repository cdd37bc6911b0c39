#include "calendar/calendar_json.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

// SSE2 is part of the x86-64 baseline; RapidJSON skips the document's
// indentation sixteen bytes at a time with it.
#if defined(__SSE2__) && !defined(RAPIDJSON_SSE2)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/error/error.h>
#include <rapidjson/reader.h>

#include "calendar/decimal.hpp"

namespace calendar {
namespace {

constexpr std::string_view time_weightings_name = "TimeWeightings";
constexpr std::string_view day_weightings_name = "DayWeightings";
constexpr std::string_view zone_name = "IanaTimeZone";

// Declaration order of the members.
enum Member : int { time_weightings, day_weightings, iana_time_zone, member_count };
constexpr std::array<std::string_view, member_count> member_names = {
    time_weightings_name, day_weightings_name, zone_name};

// Numbers as text: RapidJSON checks their syntax and std::from_chars
// converts them, correctly rounded at any length. (RapidJSON's own
// full-precision conversion misrounds some literals of more than 17 digits
// and turns long runs of fraction zeros into garbage.) In situ: strings and
// numbers are handed over where they lie in a private copy of the text.
// Encoding validated: keys and the zone name are UTF-8.
constexpr unsigned parse_flags = rapidjson::kParseInsituFlag | rapidjson::kParseNumbersAsStringsFlag |
                                 rapidjson::kParseValidateEncodingFlag;

// The parser recurses once per level of nesting; the document needs three.
constexpr int max_depth = 128;

// Where the reader is: which object or array it is inside.
enum class Place { top, document, document_array, day_weights, profiles, profile, done };

// What the next value must be.
enum class Want {
    nothing,  // a key or a closing bracket comes next
    document,
    time_weightings,
    day_weightings,
    zone,
    day_weight,
    profile,
    bucket_weight,
    anything,  // a value that is skipped
};

std::string wanted(Want want) {
    switch (want) {
        case Want::document: return "struct CalendarJson";
        case Want::time_weightings: return "a map of weekday profiles";
        case Want::day_weightings: return "a map of weekday weights";
        case Want::zone: return "a string";
        case Want::day_weight:
        case Want::bucket_weight: return "a number";
        case Want::profile: return "a map of bucket weights";
        case Want::nothing:
        case Want::anything: break;
    }
    return "nothing";
}

// The SAX handler: builds the record while RapidJSON reads the text, and
// stops the reader with a message at the first content error.
class Handler {
public:
    bool Null() { return scalar("null"); }
    bool Bool(bool) { return scalar("boolean"); }
    // Every number arrives as its text (parse_flags).
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        if (skip_depth_ > 0) return true;
        if (want_ != Want::day_weight && want_ != Want::bucket_weight) return scalar("number");
        const std::string_view literal(text, length);
        const std::optional<double> value = double_from_decimal(literal);
        if (!value || std::isinf(*value)) return stop(out_of_range_message);
        // An integer is a whole number: minus zero is zero.
        const bool integer = literal.find_first_of(".eE") == std::string_view::npos;
        return number(integer && *value == 0.0 ? 0.0 : *value);
    }
    bool Int(int) { return unreachable_number(); }
    bool Uint(unsigned) { return unreachable_number(); }
    bool Int64(std::int64_t) { return unreachable_number(); }
    bool Uint64(std::uint64_t) { return unreachable_number(); }
    bool Double(double) { return unreachable_number(); }

    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (skip_depth_ > 0) return true;
        if (want_ != Want::zone) return scalar("string");
        record_.IanaTimeZone.assign(text, length);
        value_done();
        return true;
    }

    bool StartObject() {
        if (++depth_ > max_depth) return stop(too_deep_message());
        if (skip_depth_ > 0) return ++skip_depth_, true;
        switch (want_) {
            case Want::document: enter(Place::document); root_ = Place::document; return true;
            case Want::time_weightings: enter(Place::profiles); return true;
            case Want::day_weightings: enter(Place::day_weights); return true;
            case Want::profile: enter(Place::profile); return true;
            case Want::anything: skip_depth_ = 1; return true;
            default: return type_error("object");
        }
    }

    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (skip_depth_ > 0) return true;
        const std::string_view key(text, length);
        switch (place_) {
            case Place::document: return member_key(key);
            case Place::day_weights: key_.assign(key); want_ = Want::day_weight; return true;
            case Place::profiles:
                // A repeated weekday starts afresh: the last profile is kept.
                profile_key_.assign(key);
                bucket_entries_.clear();
                bucket_entries_.reserve(expected_buckets);
                want_ = Want::profile;
                return true;
            case Place::profile: key_.assign(key); want_ = Want::bucket_weight; return true;
            default: return true;
        }
    }

    bool EndObject(rapidjson::SizeType) {
        --depth_;
        if (skip_depth_ > 0) return end_skipped_container();
        switch (place_) {
            case Place::document: return document_closed();
            case Place::profile:
                profile_entries_.emplace_back(std::move(profile_key_), TimeProfile(std::move(bucket_entries_)));
                bucket_entries_ = {};
                place_ = Place::profiles;
                want_ = Want::nothing;
                return true;
            case Place::profiles:
                record_.TimeWeightings = KeyedMap<TimeProfile>(std::move(profile_entries_));
                break;
            case Place::day_weights:
                record_.DayWeightings = KeyedMap<double>(std::move(day_entries_));
                break;
            default: break;
        }
        place_ = root_;
        value_done();
        return true;
    }

    bool StartArray() {
        if (++depth_ > max_depth) return stop(too_deep_message());
        if (skip_depth_ > 0) return ++skip_depth_, true;
        if (want_ == Want::anything) return skip_depth_ = 1, true;
        if (want_ != Want::document) return type_error("array");
        place_ = root_ = Place::document_array;
        want_ = element_want();
        return true;
    }

    bool EndArray(rapidjson::SizeType) {
        --depth_;
        if (skip_depth_ > 0) return end_skipped_container();
        // Only the document itself can be an array here.
        if (elements_ != member_count) {
            return stop("invalid length " + std::to_string(elements_) +
                        ", expected struct CalendarJson with 3 elements");
        }
        place_ = Place::done;
        want_ = Want::nothing;
        return true;
    }

    CalendarJson take_record() { return std::move(record_); }
    const std::string& message() const noexcept { return message_; }

    static constexpr const char* out_of_range_message = "number out of the range of a double";

private:
    // A weekday's profile lists the 96 quarter-hours of the day.
    static constexpr std::size_t expected_buckets = 96;

    static std::string too_deep_message() {
        return "nesting deeper than " + std::to_string(max_depth) + " levels";
    }

    // The parse flags deliver numbers as text only.
    bool unreachable_number() { return stop("number not delivered as text"); }

    bool number(double value) {
        auto& entries = want_ == Want::day_weight ? day_entries_ : bucket_entries_;
        entries.emplace_back(key_, value);
        want_ = Want::nothing;
        return true;
    }

    bool scalar(const char* found) {
        if (skip_depth_ > 0) return true;
        if (want_ == Want::anything) return value_done(), true;
        return type_error(found);
    }

    void enter(Place place) {
        place_ = place;
        want_ = Want::nothing;
    }

    bool member_key(std::string_view key) {
        for (int m = 0; m < member_count; ++m) {
            if (key != member_names[m]) continue;
            if (seen_[m]) return stop("duplicate field `" + std::string(key) + "`");
            seen_[m] = true;
            want_ = member_want(m);
            return true;
        }
        want_ = Want::anything;
        return true;
    }

    static Want member_want(int member) {
        switch (member) {
            case time_weightings: return Want::time_weightings;
            case day_weightings: return Want::day_weightings;
            default: return Want::zone;
        }
    }

    Want element_want() const { return elements_ < member_count ? member_want(elements_) : Want::anything; }

    bool document_closed() {
        for (int m = 0; m < member_count; ++m) {
            if (!seen_[m]) return stop("missing field `" + std::string(member_names[m]) + "`");
        }
        place_ = Place::done;
        return true;
    }

    bool end_skipped_container() {
        if (--skip_depth_ == 0) value_done();
        return true;
    }

    // A value of the document is complete: a member's, or an element's.
    void value_done() {
        if (place_ == Place::document_array) {
            ++elements_;
            want_ = element_want();
        } else {
            want_ = Want::nothing;
        }
    }

    bool type_error(const char* found) {
        return stop(std::string("invalid type: ") + found + ", expected " + wanted(want_));
    }

    bool stop(std::string message) {
        message_ = std::move(message);
        return false;
    }

    CalendarJson record_;
    Place place_ = Place::top;
    Place root_ = Place::document;
    Want want_ = Want::document;
    std::array<bool, member_count> seen_{};
    int elements_ = 0;
    int depth_ = 0;
    int skip_depth_ = 0;
    std::string key_;
    // The maps being read, in document order; each becomes a KeyedMap when
    // its object closes.
    std::vector<KeyedMap<double>::Entry> day_entries_;
    std::vector<KeyedMap<TimeProfile>::Entry> profile_entries_;
    std::string profile_key_;
    std::vector<TimeProfile::Entry> bucket_entries_;
    std::string message_;
};

const char* syntax_error(rapidjson::ParseErrorCode code) {
    using namespace rapidjson;
    switch (code) {
        case kParseErrorDocumentEmpty: return "the document is empty";
        case kParseErrorDocumentRootNotSingular: return "trailing characters after the document";
        case kParseErrorValueInvalid: return "invalid value";
        case kParseErrorObjectMissName: return "expected a member name";
        case kParseErrorObjectMissColon: return "expected ':' after a member name";
        case kParseErrorObjectMissCommaOrCurlyBracket: return "expected ',' or '}' after a member";
        case kParseErrorArrayMissCommaOrSquareBracket: return "expected ',' or ']' after an element";
        case kParseErrorStringUnicodeEscapeInvalidHex: return "invalid \\u escape in a string";
        case kParseErrorStringUnicodeSurrogateInvalid: return "invalid surrogate pair in a string";
        case kParseErrorStringEscapeInvalid: return "invalid escape in a string";
        case kParseErrorStringMissQuotationMark: return "unterminated string";
        case kParseErrorStringInvalidEncoding: return "invalid UTF-8 in a string";
        case kParseErrorNumberTooBig: return Handler::out_of_range_message;
        case kParseErrorNumberMissFraction: return "expected digits after the decimal point";
        case kParseErrorNumberMissExponent: return "expected digits in the exponent";
        default: return "syntax error";
    }
}

std::string at_position(std::string_view text, std::size_t offset) {
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    const std::size_t line_start = before.rfind('\n') + 1;  // npos + 1 == 0
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    const std::size_t column = offset - line_start + 1;
    return " at line " + std::to_string(line) + " column " + std::to_string(column);
}

}  // namespace

kelvane::Result<CalendarJson> read_calendar_json(std::string_view text) {
    // The in-situ stream reads a NUL-terminated copy; a NUL byte within the
    // text ends its reading there, which the check after parsing turns into
    // trailing characters. The whitespace skipper loads aligned 16-byte
    // blocks, up to 15 bytes past the terminating NUL: the padding keeps
    // those loads inside the buffer.
    constexpr std::size_t padding = 16;
    std::string buffer;
    buffer.reserve(text.size() + padding);
    buffer.append(text).append(padding, '\0');
    rapidjson::InsituStringStream stream(buffer.data());
    rapidjson::Reader reader;
    Handler handler;
    const rapidjson::ParseResult result = reader.Parse<parse_flags>(stream, handler);
    if (result.IsError()) {
        const std::string message = result.Code() == rapidjson::kParseErrorTermination
                                        ? handler.message()
                                        : syntax_error(result.Code());
        return kelvane::fail(message + at_position(text, result.Offset()));
    }
    if (stream.Tell() != text.size()) {
        return kelvane::fail(syntax_error(rapidjson::kParseErrorDocumentRootNotSingular) +
                             at_position(text, stream.Tell()));
    }
    return handler.take_record();
}

}  // namespace calendar
