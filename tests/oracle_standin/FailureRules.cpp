// Parsing and matching of the fault-injection rules.
#include "FailureRules.h"

#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

struct PointName {
    const char* name;
    FailurePoint point;
};

constexpr PointName kPointNames[] = {
    {"attach", FailurePoint::Attach},
    {"logon", FailurePoint::Logon},
    {"execute", FailurePoint::Execute},
    {"select", FailurePoint::Select},
    {"create", FailurePoint::Create},
    {"insert", FailurePoint::Insert},
    {"commit", FailurePoint::Commit},
    {"rollback", FailurePoint::Rollback},
    {"drop", FailurePoint::Drop},
    {"rename", FailurePoint::Rename},
    {"environment", FailurePoint::Environment},
    {"prepare", FailurePoint::Prepare},
    {"break", FailurePoint::Break},
};

// Calls that can be held until a break: those a stalled server or network leaves waiting.
bool canBlock(FailurePoint point) {
    return point != FailurePoint::Attach && point != FailurePoint::Logon &&
           point != FailurePoint::Environment && point != FailurePoint::Prepare &&
           point != FailurePoint::Break;
}

std::string trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A whole decimal number of at least one digit, or nothing.
std::optional<long> wholeNumber(const std::string& text) {
    std::string digits = trimmed(text);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::strtol(digits.c_str(), nullptr, 10);
}

std::optional<int> errorNumber(std::string text) {
    text = trimmed(text);
    if (text.rfind("ORA-", 0) == 0 || text.rfind("ora-", 0) == 0)
        text = text.substr(4);
    std::optional<long> number = wholeNumber(text);
    if (!number || *number == 0)
        return std::nullopt;
    return static_cast<int>(*number);
}

// What follows the '=': "block", "lost", "E", "E after", "E gone" or "E:text". False when it
// is none of them.
bool parseEffect(const std::string& text, FailureRule& rule) {
    const std::string effect = trimmed(text);
    if (effect == "block" || effect == "lost") {
        rule.blocks = effect == "block";
        rule.lost = effect == "lost";
        rule.code = kUserCancel;
        return true;
    }
    std::string number = effect;
    const std::size_t colon = effect.find(':');
    const std::size_t blank = effect.find(' ');
    if (colon != std::string::npos) {
        number = effect.substr(0, colon);
        rule.text = effect.substr(colon + 1);
    } else if (blank != std::string::npos) {
        number = effect.substr(0, blank);
        const std::string word = trimmed(effect.substr(blank + 1));
        rule.after = word == "after";
        rule.gone = word == "gone";
        if (!rule.after && !rule.gone)
            return false;
    }
    std::optional<int> code = errorNumber(number);
    rule.code = code.value_or(0);
    return code.has_value();
}

// "point[#n][@k]=effect"
std::optional<FailureRule> parseRule(const std::string& text) {
    std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    FailureRule rule;
    if (!parseEffect(text.substr(equals + 1), rule))
        return std::nullopt;
    std::string target = trimmed(text.substr(0, equals));

    std::size_t at = target.find('@');
    if (at != std::string::npos) {
        std::optional<long> row = wholeNumber(target.substr(at + 1));
        if (!row)
            return std::nullopt;
        rule.row = *row;
        target = target.substr(0, at);
    }
    std::size_t hash = target.find('#');
    if (hash != std::string::npos) {
        std::optional<long> occurrence = wholeNumber(target.substr(hash + 1));
        if (!occurrence || *occurrence == 0)
            return std::nullopt;
        rule.occurrence = *occurrence;
        target = target.substr(0, hash);
    }
    target = trimmed(target);
    for (const PointName& name : kPointNames) {
        if (target == name.name) {
            rule.point = name.point;
            if (at != std::string::npos && rule.point != FailurePoint::Insert)
                return std::nullopt;
            if (rule.blocks && (at != std::string::npos || !canBlock(rule.point)))
                return std::nullopt;
            // Only a break can be lost, and a break does nothing else.
            if (rule.lost != (rule.point == FailurePoint::Break))
                return std::nullopt;
            return rule;
        }
    }
    return std::nullopt;
}

} // namespace

namespace {

// "delay=Nms": N milliseconds.
std::optional<long> delayOf(const std::string& part) {
    const std::string prefix = "delay=";
    if (part.rfind(prefix, 0) != 0 || part.size() < prefix.size() + 3 ||
        part.compare(part.size() - 2, 2, "ms") != 0)
        return std::nullopt;
    return wholeNumber(part.substr(prefix.size(), part.size() - prefix.size() - 2));
}

} // namespace

FailureRules FailureRules::parse(const std::string& text) {
    FailureRules rules;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        std::string part = trimmed(text.substr(start, end - start));
        if (part == "discard")
            rules.discard_ = true;
        else if (part == "unchecked")
            rules.unchecked_ = true;
        else if (std::optional<long> delay = delayOf(part))
            rules.delay_ = std::chrono::milliseconds(*delay);
        else if (std::optional<FailureRule> rule = parseRule(part))
            rules.rules_.push_back(*rule);
        start = end + 1;
    }
    return rules;
}

FailureRules FailureRules::fromEnvironment() {
    const char* text = std::getenv("ORACLE_STANDIN_FAIL");
    return parse(text != nullptr ? text : "");
}

std::optional<FailureRule> FailureRules::count(FailurePoint point) {
    long occurrence = ++counts_[static_cast<int>(point)];
    for (const FailureRule& rule : rules_) {
        if (rule.point == point && rule.occurrence == occurrence)
            return rule;
    }
    return std::nullopt;
}

} // namespace standin
