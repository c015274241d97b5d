#pragma once

// One entry of the paragraph style table (TParaInfo), with every property a
// source file can carry. Paragraph styles mean nothing to the compiler.

#include "Colour.h"
#include "TextStyle.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct TRVBorderOffsets {
    int Left = 0;
    int Right = 0;
    int Top = 0;
    int Bottom = 0;
    bool operator==(const TRVBorderOffsets &) const = default;
};

struct TRVBorder {
    enum TBorderStyle : quint8 { rvbNone, rvbSingle, rvbDouble, rvbTriple, rvbThickInside, rvbThickOutside };
    int Width = 1;
    int InternalWidth = 1;
    TColor Color = Colour::WindowText;
    TBorderStyle Style = rvbNone;
    bool VisibleLeft = true;
    bool VisibleRight = true;
    bool VisibleTop = true;
    bool VisibleBottom = true;
    TRVBorderOffsets BorderOffsets;
    bool operator==(const TRVBorder &) const = default;
};

struct TRVBackground {
    TColor Color = Colour::None;
    TRVBorderOffsets BorderOffsets;
    bool operator==(const TRVBackground &) const = default;
};

struct TRVTabInfo {
    enum TTabAlign : quint8 { rvtaLeft, rvtaRight, rvtaCenter };
    TTabAlign Align = rvtaLeft;
    int Position = 0;
    QString Leader;
    bool operator==(const TRVTabInfo &) const = default;
};

struct TParaInfo {
    enum TAlignment : quint8 { rvaLeft, rvaRight, rvaCenter, rvaJustify };
    enum TLineSpacingType : quint8 { rvlsPercent, rvlsSpaceBetween };
    // Members of Options, in enumeration order.
    enum ParaOption : quint8 {
        rvpaoNoWrap = 1 << 0,
        rvpaoReadOnly = 1 << 1,
        rvpaoStyleProtect = 1 << 2,
        rvpaoDoNotWantReturns = 1 << 3,
        rvpaoKeepLinesTogether = 1 << 4,
        rvpaoKeepWithNext = 1 << 5,
    };

    int BaseStyleNo = -1;
    QString StyleName;
    bool Standard = true;
    int StyleTemplateId = -1;
    int FirstIndent = 0;
    int LeftIndent = 0;
    int RightIndent = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    TAlignment Alignment = rvaLeft;
    TRVBorder Border;
    TRVBackground Background;
    int LineSpacing = 100;
    TLineSpacingType LineSpacingType = rvlsPercent;
    quint8 Options = 0;
    TBiDiMode BiDiMode = TBiDiMode::Unspecified;
    QList<TRVTabInfo> Tabs;
    int NextParaNo = -1;
    int DefStyleNo = -1;
    QList<QByteArray> ModifiedProperties1;
    QList<QByteArray> ModifiedProperties2;

    bool operator==(const TParaInfo &) const = default;

    // Entries 0 and 1 of a new document.
    static TParaInfo paragraphStyle();
    static TParaInfo centered();
};
