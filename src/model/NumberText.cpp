#include "model/NumberText.h"

#include <locale.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tarnwick {

namespace {

bool IsIgnoredBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

double ReadInteger(const std::string& s, std::size_t pos, int base) {
  double value = 0.0;
  for (; pos < s.size() && DigitValue(s[pos]) < base; ++pos)
    value = value * base + DigitValue(s[pos]);
  return value;
}

// Decimal text in the C locale, whatever the process locale says: the
// toolkit sets the user's locale, under which strtod would expect a comma.
double ParseDecimal(const std::string& literal) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return strtod_l(literal.c_str(), nullptr, cLocale);
}

}  // namespace

double TextToNumber(std::string_view text) {
  // 1. Drop the blanks and read the first comma as a decimal point.
  std::string s;
  s.reserve(text.size());
  bool commaSeen = false;
  for (char c : text) {
    if (IsIgnoredBlank(c)) continue;
    if (c == ',' && !commaSeen) {
      commaSeen = true;
      c = '.';
    }
    s.push_back(c);
  }
  // 2. Hexadecimal and octal integers.
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return ReadInteger(s, 2, 16);
    if (s[1] == 'O' || s[1] == 'o') return ReadInteger(s, 2, 8);
    return 0.0;
  }
  // 3. Sign, digits, one point, then an exponent only when it has digits.
  std::string literal;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) literal.push_back(s[i++]);
  bool digits = false;
  for (; i < s.size() && IsDigit(s[i]); ++i, digits = true) literal.push_back(s[i]);
  if (i < s.size() && s[i] == '.') {
    literal.push_back(s[i++]);
    for (; i < s.size() && IsDigit(s[i]); ++i, digits = true) literal.push_back(s[i]);
  }
  if (!digits) return 0.0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
    if (j < s.size() && IsDigit(s[j])) {
      for (; j < s.size() && IsDigit(s[j]); ++j) exponent.push_back(s[j]);
      literal += exponent;
    }
  }
  return ParseDecimal(literal);
}

float ToStoredSingle(double value) {
  if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX)) return 0.0f;
  return static_cast<float>(value);
}

std::string TwoDecimalText(double value, std::string_view decimalSeparator) {
  if (!std::isfinite(value)) return "0";
  // printf rounds the exact binary value and sends exact ties to even.
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  std::string text = buffer;
  // The C library writes its own locale's decimal point, which may be any
  // text: take the sign and digits before it and the two digits after it.
  std::size_t end = text[0] == '-' ? 1 : 0;
  while (end < text.size() && IsDigit(text[end])) ++end;
  std::string integral = text.substr(0, end);
  std::string fraction = text.substr(text.size() - 2);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (integral == "-0" && fraction.empty()) integral = "0";
  if (fraction.empty()) return integral;
  return integral + std::string(decimalSeparator) + fraction;
}

namespace {

// Exact decimal digits of a value: the integer digits and `decimals` digits
// after the point, rounded half away from zero on the exact binary value.
struct Digits {
  bool negative = false;
  std::string integral;
  std::string fraction;
};

Digits RoundedDigits(double value, int decimals) {
  // glibc prints the exact expansion; 1100 places hold every double's digits.
  std::vector<char> buffer(1500);
  std::snprintf(buffer.data(), buffer.size(), "%.1100f", std::fabs(value));
  const std::string text = buffer.data();
  std::size_t end = 0;
  while (end < text.size() && IsDigit(text[end])) ++end;
  std::string integral = text.substr(0, end);
  std::string fraction;
  for (std::size_t i = end; i < text.size(); ++i)
    if (IsDigit(text[i])) fraction.push_back(text[i]);
  const bool roundUp = fraction[decimals] >= '5';
  std::string digits = integral + fraction.substr(0, decimals);
  if (roundUp) {
    int i = int(digits.size()) - 1;
    for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
    if (i >= 0)
      ++digits[i];
    else
      digits.insert(digits.begin(), '1');
  }
  Digits result;
  result.integral = digits.substr(0, digits.size() - decimals);
  result.fraction = digits.substr(digits.size() - decimals);
  result.integral.erase(0,
                        std::min(result.integral.find_first_not_of('0'), result.integral.size()));
  const bool zero =
      result.integral.empty() && result.fraction.find_first_not_of('0') == std::string::npos;
  result.negative = value < 0 && !zero;
  return result;
}

}  // namespace

std::string NumberToText(double value, std::string_view pattern,
                         std::string_view decimalSeparator) {
  if (!std::isfinite(value)) value = 0.0;
  // 1. Digit places of the pattern before and after its point.
  const std::size_t point = pattern.find('.');
  const std::string_view before = pattern.substr(0, point);
  const std::string_view after =
      point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
  const auto places = [](std::string_view part, char c) {
    return int(std::count(part.begin(), part.end(), c));
  };
  const int required = places(before, '0');
  const int optional = places(after, '#');
  const int fixed = places(after, '0');
  const Digits d = RoundedDigits(value, fixed + optional);
  std::string integral = d.integral;
  if (int(integral.size()) < required) integral.insert(0, required - integral.size(), '0');
  std::string fraction = d.fraction;
  while (int(fraction.size()) > fixed && fraction.back() == '0') fraction.pop_back();
  std::string s = (d.negative ? "-" : "") + integral;
  if (point != std::string_view::npos) s += std::string(decimalSeparator) + fraction;
  // 2-4. A comma becomes a point, a trailing point goes, blanks pad in front.
  if (const std::size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s.size() < pattern.size()) s.insert(0, pattern.size() - s.size(), ' ');
  return s;
}

long long RoundHalfEven(double value) { return std::llrint(value); }

}  // namespace tarnwick
