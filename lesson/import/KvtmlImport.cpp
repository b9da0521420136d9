#include "KvtmlImport.h"

#include "ImportText.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

namespace Import {

namespace {

// KVTML nests 6 deep (kvtml, entries, entry, translation, conjugation, ...).
constexpr int MostDepth = 32;
constexpr int MostAttributes = 64;

// The bounds the XML reader cannot keep: it holds every element open and compares every
// attribute of an element with every other, so a file of millions of either would cost
// gigabytes or hours before it says a word. Looked for in the bytes first, cheaply:
// comments, CDATA, processing instructions and declarations skipped, quotes respected.
class Outline
{
public:
    explicit Outline(const QByteArray &bytes) : bytes(bytes) {}

    std::optional<Refusal> check()
    {
        while (at < bytes.size()) {
            if (bytes.at(at) != '<') {
                advanceTo(at + 1);
                continue;
            }
            if (skipSpan("<!--", "-->") || skipSpan("<![CDATA[", "]]>") || skipSpan("<?", "?>"))
                continue;
            if (skipSpan("<!", nullptr))
                continue;
            if (std::optional<Refusal> refusal = tag())
                return refusal;
        }
        return std::nullopt;
    }

private:
    // Moves on to `to`, counting the lines passed.
    void advanceTo(qsizetype to)
    {
        to = std::min(to, bytes.size());
        line += int(std::count(bytes.constBegin() + at, bytes.constBegin() + to, '\n'));
        at = to;
    }

    // Skips what `opener` opens, up to `closer`; without one, a declaration (<!DOCTYPE ...>),
    // whose [ ] may hold > of their own.
    bool skipSpan(const char *opener, const char *closer)
    {
        if (!QByteArrayView(bytes).sliced(at).startsWith(opener))
            return false;
        if (!closer) {
            advanceTo(markupEnd(true, nullptr) + 1);
            return true;
        }
        const qsizetype end = bytes.indexOf(closer, at + qsizetype(std::strlen(opener)));
        advanceTo(end < 0 ? bytes.size() : end + qsizetype(std::strlen(closer)));
        return true;
    }

    // The end of the markup from `at`: the first > outside quotes (and outside [ ] if asked).
    qsizetype markupEnd(bool brackets, int *equals) const
    {
        char quote = 0;
        int inBrackets = 0;
        for (qsizetype i = at + 1; i < bytes.size(); ++i) {
            const char c = bytes.at(i);
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (brackets && (c == '[' || c == ']')) {
                inBrackets += c == '[' ? 1 : -1;
            } else if (c == '=' && equals) {
                ++*equals;
            } else if (c == '>' && inBrackets <= 0) {
                return i;
            }
        }
        return bytes.size();
    }

    std::optional<Refusal> tag()
    {
        const int tagLine = line;
        int attributes = 0;
        const qsizetype end = markupEnd(false, &attributes);
        const bool closing = at + 1 < bytes.size() && bytes.at(at + 1) == '/';
        const bool empty = end < bytes.size() && bytes.at(end - 1) == '/';
        advanceTo(end + 1);
        if (attributes > MostAttributes)
            return Refusal{Refusal::Why::TooManyAttributes, tagLine, {}, MostAttributes};
        depth += closing ? -1 : empty ? 0 : 1;
        if (depth > MostDepth)
            return Refusal{Refusal::Why::TooDeep, tagLine, {}, MostDepth};
        return std::nullopt;
    }

    const QByteArray &bytes;
    qsizetype at = 0;
    int line = 1;
    int depth = 0;
};

struct Language
{
    QString id;
    QString locale;
    QString name;

    QString primary() const { return locale.section(u'_', 0, 0).section(u'-', 0, 0).toLower(); }
    bool isHungarian() const { return primary() == u"hu"; }
    bool isNamed(const QString &asked) const
    {
        return locale.compare(asked, Qt::CaseInsensitive) == 0 || primary() == asked.toLower() ||
               name.compare(asked, Qt::CaseInsensitive) == 0;
    }
    QString shown() const { return name.isEmpty() ? locale : name; }
};

struct Entry
{
    int line = 0;
    QList<std::pair<QString, QString>> texts; // by the identifier's id

    QString text(const QString &id) const
    {
        for (const auto &[language, text] : texts) {
            if (language == id)
                return text;
        }
        return {};
    }
};

// The parts of a KVTML file a drill needs, read with Qt's stream reader, which loads no
// document type and resolves no external entity; a document type of its own is refused
// before anything it declares is used.
class KvtmlFile
{
public:
    explicit KvtmlFile(const QByteArray &bytes) : bytes(bytes), xml(bytes) {}

    std::optional<Refusal> read()
    {
        while (!refusal && !xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartDocument:
                checkEncoding();
                break;
            case QXmlStreamReader::DTD:
                checkDocumentType();
                break;
            case QXmlStreamReader::EntityReference:
                refuse(Refusal::Why::Entity, xml.name().toString());
                break;
            case QXmlStreamReader::StartElement:
                root();
                break;
            default:
                break;
            }
        }
        if (!refusal && xml.hasError())
            refuse(Refusal::Why::XmlError, xml.errorString());
        return refusal;
    }

    QString title;
    std::vector<Language> languages;
    std::vector<Entry> entries;

private:
    void refuse(Refusal::Why why, const QString &detail = {}, qint64 number = 0)
    {
        refusal = Refusal{why, int(xml.lineNumber()), detail, number};
    }

    // Said where the declaration starts, not where the reader has come to its end.
    void refuseDocumentType(Refusal::Why why, const QString &detail)
    {
        refusal = Refusal{why, lineAt(bytes, std::max<qsizetype>(0, bytes.indexOf("<!DOCTYPE"))), detail};
    }

    void checkEncoding()
    {
        const QString declared = xml.documentEncoding().toString();
        if (!declared.isEmpty() && declared.compare(u"UTF-8", Qt::CaseInsensitive) != 0 &&
            declared.compare(u"US-ASCII", Qt::CaseInsensitive) != 0)
            refuse(Refusal::Why::NotUtf8, declared);
    }

    // KVTML's own document type (kvtml2.dtd, named, never loaded) is no harm; anything declared
    // in the file itself is: entities that repeat each other a billion times, or that read
    // another file or address.
    void checkDocumentType()
    {
        if (const QXmlStreamEntityDeclarations entities = xml.entityDeclarations(); !entities.isEmpty()) {
            const QXmlStreamEntityDeclaration &entity = entities.first();
            const bool external = !entity.systemId().isEmpty() || !entity.publicId().isEmpty();
            return refuseDocumentType(external ? Refusal::Why::ExternalEntity : Refusal::Why::Entity, entity.name().toString());
        }
        if (xml.dtdName() != u"kvtml" || xml.text().contains(u'['))
            refuseDocumentType(Refusal::Why::DocumentType, xml.dtdName().toString());
    }

    void root()
    {
        if (xml.name() != u"kvtml" || !xml.attributes().value(QLatin1String("version")).startsWith(u"2"))
            return refuse(Refusal::Why::NotKvtml, QStringLiteral("<%1 version=\"%2\">")
                                                      .arg(xml.name().toString(), xml.attributes().value(QLatin1String("version")).toString()));
        while (!refusal && xml.readNextStartElement()) {
            if (xml.name() == u"information")
                information();
            else if (xml.name() == u"identifiers")
                identifiers();
            else if (xml.name() == u"entries")
                readEntries();
            else
                xml.skipCurrentElement();
        }
    }

    QString elementText() { return xml.readElementText(QXmlStreamReader::SkipChildElements); }

    void information()
    {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"title")
                title = elementText();
            else
                xml.skipCurrentElement();
        }
    }

    void identifiers()
    {
        while (xml.readNextStartElement()) {
            if (xml.name() != u"identifier") {
                xml.skipCurrentElement();
                continue;
            }
            Language language{xml.attributes().value(QLatin1String("id")).toString(), {}, {}};
            while (xml.readNextStartElement()) {
                if (xml.name() == u"locale")
                    language.locale = elementText().trimmed();
                else if (xml.name() == u"name")
                    language.name = elementText().trimmed();
                else
                    xml.skipCurrentElement();
            }
            languages.push_back(language);
        }
    }

    void readEntries()
    {
        while (!refusal && xml.readNextStartElement()) {
            if (xml.name() != u"entry") {
                xml.skipCurrentElement();
                continue;
            }
            if (entries.size() == std::size_t(MostEntries))
                return refuse(Refusal::Why::TooManyEntries, {}, MostEntries);
            entries.push_back(entry());
        }
    }

    Entry entry()
    {
        Entry read{int(xml.lineNumber()), {}};
        while (xml.readNextStartElement()) {
            if (xml.name() != u"translation") {
                xml.skipCurrentElement();
                continue;
            }
            const QString id = xml.attributes().value(QLatin1String("id")).toString();
            while (xml.readNextStartElement()) {
                if (xml.name() == u"text")
                    read.texts.append({id, elementText()});
                else
                    xml.skipCurrentElement();
            }
        }
        return read;
    }

    const QByteArray &bytes;
    QXmlStreamReader xml;
    std::optional<Refusal> refusal;
};

QStringList localesOf(const std::vector<Language> &languages)
{
    QStringList locales;
    for (const Language &language : languages)
        locales << language.locale;
    return locales;
}

// The language to Hungarian from, and Hungarian; or why there are not both.
std::optional<Refusal> chooseLanguages(const std::vector<Language> &languages, const QString &asked,
                                       const Language *&from, const Language *&to)
{
    const auto hungarian = std::find_if(languages.begin(), languages.end(), [](const Language &l) { return l.isHungarian(); });
    if (hungarian == languages.end())
        return Refusal{Refusal::Why::NoHungarian, 0, localesOf(languages).join(QStringLiteral(", "))};
    const auto other = std::find_if(languages.begin(), languages.end(), [&](const Language &l) {
        return !l.isHungarian() && (asked.isEmpty() || l.isNamed(asked));
    });
    if (other == languages.end() && asked.isEmpty())
        return Refusal{Refusal::Why::NoOtherLanguage};
    if (other == languages.end()) {
        QStringList others = localesOf(languages);
        others.removeAll(hungarian->locale);
        return Refusal{Refusal::Why::NoSuchLanguage, 0, asked, 0, others};
    }
    from = &*other;
    to = &*hungarian;
    return std::nullopt;
}

} // namespace

Imported kvtml(const QByteArray &bytes, const QString &fromLanguage)
{
    if (bytes.size() > MostKvtmlBytes)
        return refused({Refusal::Why::TooLarge, 0, {}, MostKvtmlBytes});
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        return refused({Refusal::Why::NulBytes, lineAt(bytes, nul)});
    if (const std::optional<Refusal> refusal = Outline(bytes).check())
        return refused(*refusal);
    KvtmlFile file(bytes);
    if (const std::optional<Refusal> refusal = file.read())
        return refused(*refusal);
    const Language *from = nullptr;
    const Language *to = nullptr;
    if (const std::optional<Refusal> refusal = chooseLanguages(file.languages, fromLanguage, from, to))
        return refused(*refusal);

    Report report;
    report.fromLanguage = from->locale;
    report.toLanguage = to->locale;
    DrillItems items(report);
    for (const Entry &entry : file.entries) {
        const QString word = entry.text(from->id);
        const QString answer = entry.text(to->id);
        if (cleaned(word).isEmpty() || cleaned(answer).isEmpty()) {
            report.notes.push_back({Note::What::NoTranslation, entry.line, {cleaned(word).isEmpty() ? from->locale : to->locale}});
            continue;
        }
        if (!items.take(entry.line, word, answer))
            break;
    }
    Imported imported = finished(
        std::move(report), items.refusal(),
        drillExercise(std::move(items.items),
                      QCoreApplication::translate("Import", "Words from %1 to Hungarian.").arg(from->shown()),
                      QCoreApplication::translate("Import", "Write each word in Hungarian.")));
    imported.title = cleaned(file.title);
    return imported;
}

} // namespace Import
