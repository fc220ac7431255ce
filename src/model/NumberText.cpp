#include "model/NumberText.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

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
  for (; pos < s.size() && DigitValue(s[pos]) < base; ++pos) value = value * base + DigitValue(s[pos]);
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

long long RoundHalfEven(double value) { return std::llrint(value); }

}  // namespace tarnwick
