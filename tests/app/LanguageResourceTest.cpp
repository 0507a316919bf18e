// The English language resource module must stay the Portuguese form resource with only its texts
// translated: same components, classes, positions, events and message keys. A screen change that
// is not carried over to it shows up here rather than as a broken English screen.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject load(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << path.toStdString() << ": " << error.errorString().toStdString();
    return doc.object();
}

bool isText(const QString& property) {
    return property == QLatin1String("Caption") || property == QLatin1String("Hint");
}

// Everything but the translated texts, flattened to "path property=value" lines; texts become keys.
void shape(const QJsonValue& v, const QString& path, QStringList& out, QStringList& texts) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString here =
                path + '/' + (o.contains("name") ? o.value("name").toString() : QString()) + '.' + it.key();
            if (isText(it.key()) && it.value().isString()) {
                out << here + QStringLiteral("=<texto>");
                texts << it.value().toString();
            } else if (it.key() == QLatin1String("Lines")) {
                for (const QJsonValue& line : it.value().toArray()) {
                    out << here + '=' + line.toString().section('|', 0, 0);
                    texts << line.toString().section('|', 1);
                }
            } else {
                shape(it.value(), here, out, texts);
            }
        }
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            shape(a.at(i), path + '[' + QString::number(i) + ']', out, texts);
    } else {
        out << path + '=' + v.toVariant().toString();
    }
}

TEST(LanguageResource, EnglishModuleIsThePortugueseResourceWithTranslatedTexts) {
    const QJsonObject pt = load(QStringLiteral(ERP_SOURCE_DIR "/screen/resources/TfrmDadosCliente.json"));
    const QJsonObject module = load(QStringLiteral(ERP_SOURCE_DIR "/app/lang/Pkg_qmt31800.so.en"));
    const QJsonObject forms = module.value("forms").toObject();
    ASSERT_EQ(forms.keys(), QStringList{QStringLiteral("TfrmDadosCliente")});
    QStringList ptShape, enShape, ptTexts, enTexts;
    shape(pt, {}, ptShape, ptTexts);
    shape(forms.value("TfrmDadosCliente"), {}, enShape, enTexts);
    EXPECT_EQ(enShape, ptShape);
    ASSERT_EQ(enTexts.size(), ptTexts.size());
    // Codes stay as they are; every other text is translated.
    for (int i = 0; i < ptTexts.size(); ++i) {
        if (ptTexts[i].startsWith(QLatin1String("QMT")))
            EXPECT_EQ(enTexts[i], ptTexts[i]);
        else
            EXPECT_NE(enTexts[i], ptTexts[i]) << "untranslated: " << ptTexts[i].toStdString();
        EXPECT_FALSE(enTexts[i].trimmed().isEmpty());
    }
}

} // namespace
