#pragma once

// Conversions between property values of object streams and the fields of
// the document model, shared by the style table and marker streams: the
// member names of enumerations and sets, and typed reads that tell whether
// a value had the type its property expects.

#include "document/model/Colour.h"
#include "ObjectStreamValue.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <span>

namespace StreamProperties {

// Member names in enumeration order: member n is value n of an enumeration,
// bit n of a set.
inline constexpr std::array<const char *, 4> FontStyleNames{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
inline constexpr std::array<const char *, 2> StyleExNames{"rvfsOverline", "rvfsAllCaps"};
inline constexpr std::array<const char *, 11> ProtectionNames{
    "rvprStyleProtect", "rvprStyleSplitProtect", "rvprModifyProtect", "rvprDeleteProtect",
    "rvprConcateProtect", "rvprRVFInsertProtect", "rvprDoNotAutoSwitch", "rvprParaStartProtect",
    "rvprSticking", "rvprStickToTop", "rvprStickToBottom"};
inline constexpr std::array<const char *, 2> TextOptionNames{"rvteoHTMLCode", "rvteoRTFCode"};
inline constexpr std::array<const char *, 3> BiDiModeNames{"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"};
inline constexpr std::array<const char *, 4> AlignmentNames{"rvaLeft", "rvaRight", "rvaCenter", "rvaJustify"};
inline constexpr std::array<const char *, 2> LineSpacingTypeNames{"rvlsPercent", "rvlsSpaceBetween"};
inline constexpr std::array<const char *, 6> ParaOptionNames{
    "rvpaoNoWrap", "rvpaoReadOnly", "rvpaoStyleProtect", "rvpaoDoNotWantReturns", "rvpaoKeepLinesTogether",
    "rvpaoKeepWithNext"};
inline constexpr std::array<const char *, 6> BorderStyleNames{
    "rvbNone", "rvbSingle", "rvbDouble", "rvbTriple", "rvbThickInside", "rvbThickOutside"};
inline constexpr std::array<const char *, 3> TabAlignNames{"rvtaLeft", "rvtaRight", "rvtaCenter"};

// Each returns false, leaving the field unchanged, when the value is not of
// the property's type (or names no member).
bool readInt(const StreamValue &value, int &field);
bool readBool(const StreamValue &value, bool &field);
bool readText(const StreamValue &value, QString &field);
bool readColour(const StreamValue &value, TColor &field);
bool readCharset(const StreamValue &value, int &field);
bool readEnum(const StreamValue &value, std::span<const char *const> names, int &field);
// Members not in `names` are left out; the value must be a set.
bool readFlags(const StreamValue &value, std::span<const char *const> names, unsigned &field);

template <typename E>
bool readEnumField(const StreamValue &value, std::span<const char *const> names, E &field)
{
    int n = int(field);
    if (!readEnum(value, names, n))
        return false;
    field = E(n);
    return true;
}

template <typename F>
bool readFlagsField(const StreamValue &value, std::span<const char *const> names, F &field)
{
    unsigned bits = unsigned(field);
    if (!readFlags(value, names, bits))
        return false;
    field = F(bits);
    return true;
}

// The names of the set bits, in enumeration order.
QList<QByteArrayView> flagNames(unsigned bits, std::span<const char *const> names);

} // namespace StreamProperties
