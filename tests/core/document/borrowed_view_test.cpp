// Which arguments a class keeping a view refuses: everything that owns its
// data and dies with the statement, for byte views and text views alike;
// never a view, a pointer or a named value.

#include "document/model/BorrowedView.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

TEST(BorrowedView, OwnersThatDieWithTheStatementAreRefused)
{
    static_assert(TemporaryOwner<QByteArray, QByteArrayView>);
    static_assert(TemporaryOwner<const QByteArray, QByteArrayView>);
    static_assert(TemporaryOwner<std::string, QByteArrayView>);
    static_assert(TemporaryOwner<std::vector<char>, QByteArrayView>);
    static_assert(TemporaryOwner<std::array<char, 8>, QByteArrayView>);

    static_assert(TemporaryOwner<QString, QStringView>);
    static_assert(TemporaryOwner<std::u16string, QStringView>);
}

TEST(BorrowedView, ViewsPointersAndNamedValuesPass)
{
    static_assert(!TemporaryOwner<QByteArray &, QByteArrayView>);
    static_assert(!TemporaryOwner<const QByteArray &, QByteArrayView>);
    static_assert(!TemporaryOwner<QByteArrayView, QByteArrayView>);
    static_assert(!TemporaryOwner<std::string_view, QByteArrayView>);
    static_assert(!TemporaryOwner<std::span<const char>, QByteArrayView>);
    static_assert(!TemporaryOwner<const char *, QByteArrayView>);

    static_assert(!TemporaryOwner<const QString &, QStringView>);
    static_assert(!TemporaryOwner<QStringView, QStringView>);
    static_assert(!TemporaryOwner<std::u16string_view, QStringView>);
    static_assert(!TemporaryOwner<const char16_t *, QStringView>);

    // What no view can be made of is not the concern of the overload.
    static_assert(!TemporaryOwner<int, QByteArrayView>);
    static_assert(!TemporaryOwner<QString, QByteArrayView>);
}
