// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The value types of the form runtime: a checked 16-bit Integer, Booleans
// held in Integers (True is -1), 0x00BBGGRR colours in a Long, Singles for
// twips, and a wide String that joins with `&`.

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

using Single = float;
using Long = std::int32_t;

[[noreturn]] void raiseOverflow();

class Integer
{
public:
    static constexpr int Min = -32768;
    static constexpr int Max = 32767;

    constexpr Integer() = default;
    // Implicit, so that literals read naturally (`SeqLength + 1`); a value out
    // of range is an overflow, as it is when any arithmetic leaves the range.
    constexpr Integer(int v) : v_(checked(v)) {}

    constexpr int value() const { return v_; }
    explicit constexpr operator Long() const { return v_; }

    friend constexpr Integer operator+(Integer a, Integer b) { return Integer(a.v_ + b.v_); }
    friend constexpr Integer operator-(Integer a, Integer b) { return Integer(a.v_ - b.v_); }
    friend constexpr Integer operator-(Integer a) { return Integer(-a.v_); }
    friend constexpr bool operator==(Integer a, Integer b) = default;
    friend constexpr auto operator<=>(Integer a, Integer b) = default;

private:
    static constexpr std::int16_t checked(int v)
    {
        if (v < Min || v > Max)
            raiseOverflow();
        return static_cast<std::int16_t>(v);
    }

    std::int16_t v_ = 0;
};

// A Boolean is an Integer that holds True (-1) or False (0).
using Boolean = Integer;
inline constexpr Boolean True{-1};
inline constexpr Boolean False{0};

// Greatest whole number not above x.
double Int(double x);
// Whole number to Integer, rounding halves to even; out of range is an overflow.
Integer CInt(double x);

class String
{
public:
    String() = default;
    String(const char16_t* s) : s_(s) {}
    explicit String(std::u16string s) : s_(std::move(s)) {}

    const std::u16string& str() const { return s_; }

    friend bool operator==(const String&, const String&) = default;

private:
    std::u16string s_;
};

// Joining: an Integer turns into its decimal digits, with a minus sign only
// when negative.
String operator&(const String& a, const String& b);
String operator&(const String& a, Integer n);

} // namespace rt
