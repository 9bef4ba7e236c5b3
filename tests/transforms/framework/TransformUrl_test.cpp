#include "meta/Json.h"
#include "meta/families/AltRatioOptions.h"
#include "transforms/framework/TransformRegistry.h"
#include "transforms/framework/TransformUrl.h"

#include <gtest/gtest.h>

namespace {

QByteArray optionsOfLength(int length) {
    AltRatioOptions options;
    options.setAltRatioFieldName(QString());
    const int base = Json::writeOptions(options, Json::Style::Compact).size();
    options.setAltRatioFieldName(QString(length - base, QLatin1Char('x')));
    return Json::writeOptions(options, Json::Style::Compact);
}

FnTransformPtr fromUrl(const QString& url, QString* error) {
    TransformUrl::Parsed parsed;
    if (!TransformUrl::parse(url, &parsed, error))
        return nullptr;
    return TransformRegistry::instance().createTransform(parsed.name, parsed.optionsJson, parsed.encoding,
                                                         error);
}

} // namespace

TEST(TransformUrl, EveryEncodingParsesBackToTheSameOptions) {
    for (int length : {300, TransformUrl::MaxPlainBase64, TransformUrl::MaxPlainBase64 + 1}) {
        const QByteArray json = optionsOfLength(length);
        ASSERT_EQ(json.size(), length);
        const QString b64 = TransformUrl::make(QStringLiteral("altRatio"), json, 0);
        const bool compressed = length > TransformUrl::MaxPlainBase64;
        EXPECT_TRUE(b64.startsWith(compressed ? "transform://altRatio/b64z/" : "transform://altRatio/b64/"))
            << length;
        for (const QString& url :
             {b64, b64.chopped(1), TransformUrl::make(QStringLiteral("altRatio"), json, 1)}) {
            TransformUrl::Parsed parsed;
            QString error;
            ASSERT_TRUE(TransformUrl::parse(url, &parsed, &error)) << error.toStdString();
            EXPECT_EQ(parsed.name, QStringLiteral("altRatio"));
            EXPECT_EQ(parsed.optionsJson.trimmed(), json) << url.left(40).toStdString();
        }
    }
    EXPECT_TRUE(TransformUrl::make(QStringLiteral("altRatio"), "{}", 2).isEmpty());
    EXPECT_EQ(TransformUrl::make(QStringLiteral("altRatio"), "{\"a\":1}", 1),
              QStringLiteral("transform://altRatio/json/ {\"a\":1}"));
}

TEST(TransformUrl, UnknownEncodingsAndDamagedPayloadsFail) {
    const QList<QPair<QString, QString>> cases = {
        {"transform://altRatio/b32/e30=/", "Unrecognized transform encoding: b32"},
        {"transform://altRatio//e30=/", "Unrecognized transform encoding: unknown"},
        {"transform://altRatio", "Unrecognized transform encoding: unknown"},
        {"transform://altRatio/b64z/AAAAAA==/",
         "The compressed options of transform altRatio do not decompress"},
        {"transform://altRatio/b64z/f____wAA/",
         "The compressed options of transform altRatio do not decompress"},
    };
    for (const auto& c : cases) {
        TransformUrl::Parsed parsed;
        QString error;
        EXPECT_FALSE(TransformUrl::parse(c.first, &parsed, &error)) << c.first.toStdString();
        EXPECT_EQ(error, c.second);
    }
}

TEST(TransformRegistry, NamesResolveInAnyCaseAndByAlias) {
    for (const char* name : {"altRatio", "AltRatio", "altratio", "ALTRATIOTRANSFORM"}) {
        QString error;
        const FnTransformPtr transform = TransformRegistry::instance().createTransform(
            QString::fromLatin1(name), "{}", QStringLiteral("json"), &error);
        ASSERT_TRUE(transform) << name << ": " << error.toStdString();
        EXPECT_EQ(transform->name(), QStringLiteral("altRatio"));
        EXPECT_TRUE(transform->isAvailable());
    }
}

TEST(TransformRegistry, BadOptionsUnknownNamesAndUnavailableTransformsFailClearly) {
    QString error;
    EXPECT_FALSE(fromUrl(QStringLiteral("transform://altRatio/json/ [1, 2]"), &error));
    EXPECT_EQ(error, "Invalid json encoded options data for altRatio transform. Not a JSON object");
    EXPECT_FALSE(fromUrl(QStringLiteral("transform://altRatio/json/ {\"a\":"), &error));
    EXPECT_TRUE(
        error.startsWith("Invalid json encoded options data for altRatio transform. json error: line 1:"))
        << error.toStdString();
    EXPECT_FALSE(fromUrl(QStringLiteral("transform://frobnicate/json/ {}"), &error));
    EXPECT_EQ(error, "Unrecognized transform: frobnicate");

    // A name this program knows but cannot compute keeps its options for printing, and says so.
    const QByteArray options = R"({"fields":{"sourceUrls":["/a.vcf","/b.vcf"],"genomicMatch":2}})";
    const FnTransformPtr join =
        fromUrl(TransformUrl::make(QStringLiteral("MatchEntityStringList"), options, 0), &error);
    ASSERT_TRUE(join) << error.toStdString();
    EXPECT_FALSE(join->isAvailable());
    EXPECT_EQ(join->optionsJson(), options);
    EXPECT_EQ(join->inputUrls(), QStringList({"/a.vcf", "/b.vcf"}));
    EXPECT_FALSE(join->setInputs({}, &error));
    EXPECT_EQ(error, "Inadequate number of sources provided to transform: matchEntityStringList.");
}

TEST(TransformRegistry, TheErrorTransformOpensWithoutInputsAndReportsItsText) {
    QString error;
    const FnTransformPtr transform = TransformRegistry::instance().createTransform(
        QStringLiteral("errortransform"), R"({"fields":{"errorText":"no coverage here"}})", "json", &error);
    ASSERT_TRUE(transform);
    ASSERT_TRUE(transform->setInputs({}, &error)) << error.toStdString();
    EXPECT_FALSE(transform->createFeatureReader(ReadRequest(), &error));
    EXPECT_EQ(error, "no coverage here");
}
