#include "exchange/Kvtml.h"

#include "base/Cp1252.h"
#include "exchange/TextInput.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstring>
#include <unordered_map>

namespace {

const char* ParseStatusText(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_unrecognized_tag: return "unbekanntes Tag";
    case pugi::status_bad_pi: return "fehlerhafte Verarbeitungsanweisung";
    case pugi::status_bad_comment: return "fehlerhafter Kommentar";
    case pugi::status_bad_cdata: return "fehlerhafter CDATA-Abschnitt";
    case pugi::status_bad_doctype: return "fehlerhafte DOCTYPE-Angabe";
    case pugi::status_bad_pcdata: return "fehlerhafter Text";
    case pugi::status_bad_start_element: return "fehlerhaftes Start-Tag";
    case pugi::status_bad_attribute: return "fehlerhaftes Attribut";
    case pugi::status_bad_end_element: return "fehlerhaftes End-Tag";
    case pugi::status_end_element_mismatch: return "End-Tag passt nicht zum Start-Tag";
    case pugi::status_no_document_element: return "kein Wurzelelement";
    default: return "ungültiges XML";
    }
}

class cKvtmlReader {
public:
    cKvtmlReader(const std::string& bytes, const cImportOptions& options, cImportResult& result)
        : m_bytes(bytes), m_options(options), m_result(result)
    {
    }

    void Read()
    {
        // A declared single-byte encoding is turned into UTF-8 first; places then count
        // the same lines and characters.
        pugi::xml_encoding encoding = pugi::encoding_auto;
        if (DeclaresCp1252(m_bytes)) {
            m_converted = Cp1252ToUtf8(m_bytes);
            m_bytes = m_converted;
            encoding = pugi::encoding_utf8;
        }
        // The parser works on its own copy, so places are counted in the file as it was.
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed = doc.load_buffer(
            m_bytes.data(), m_bytes.size(), pugi::parse_default, encoding);
        const pugi::xml_node root = doc.child("kvtml");
        if (!parsed) {
            const std::string_view before(m_bytes.data(), std::min<std::size_t>(m_bytes.size(), static_cast<std::size_t>(parsed.offset)));
            if (before.find("<kvtml") == std::string_view::npos)
                return WrongFormat();
            // Where no tag closes after the error, the file ends in the middle of the XML.
            const std::size_t at = static_cast<std::size_t>(parsed.offset);
            const bool cut = m_bytes.find('>', at) == std::string::npos;
            Fail(at, cut ? std::string("Die Datei endet mitten im XML (abgeschnitten?)")
                         : std::string("XML-Fehler: ") + ParseStatusText(parsed.status));
            return;
        }
        if (!root)
            return WrongFormat();
        const std::string_view version = root.attribute("version").as_string();
        if (version.empty() || version.substr(0, 1) == "1") {
            if (ReadVersion1(root))
                Summarise();
            return;
        }
        if (version.substr(0, 2) != "2.") {
            m_result.failure = ImportFailure::WrongFormat;
            m_result.message = "Die Datei ist im KVTML-Format der Version \"" +
                               std::string(version.substr(0, 20)) +
                               "\"; gelesen wird nur KVTML 2.0";
            return;
        }
        for (const pugi::xml_node id : root.child("identifiers").children("identifier")) {
            int n = -1;
            if (Id(id, n) && (n == 0 || n == 1)) {
                m_result.languages.resize(2);
                m_result.languages[static_cast<std::size_t>(n)] = {id.child_value("name"), id.child_value("locale")};
            }
        }
        if (!Entries(root.child("entries")))
            return;
        for (const pugi::xml_node lesson : root.child("lessons").children("container"))
            if (!Lesson(lesson, std::string()))
                return;
        Summarise();
    }

private:
    static constexpr std::uint32_t kSkipped = 0xFFFFFFFFu;

    // True when the XML declaration names Windows-1252 or Latin-1 (read as Windows-1252,
    // as files that say Latin-1 hold its characters in practice) and no byte order mark
    // says otherwise.
    static bool DeclaresCp1252(std::string_view bytes)
    {
        if (bytes.substr(0, 5) != "<?xml")
            return false;
        const std::string head = AsciiLower(bytes.substr(0, bytes.find("?>")));
        const std::size_t at = head.find("encoding");
        if (at == std::string::npos)
            return false;
        const std::size_t open = head.find_first_of("\"'", at);
        const std::size_t close = open == std::string::npos ? open : head.find(head[open], open + 1);
        if (close == std::string::npos)
            return false;
        const std::string name = head.substr(open + 1, close - open - 1);
        for (const char* known : {"windows-1252", "cp1252", "iso-8859-1", "iso8859-1", "iso_8859-1",
                                  "latin1", "latin-1", "iso-8859-15", "l1"})
            if (name == known)
                return true;
        return false;
    }

    // Lessons give the category of entries without a comment; notes tell what was skipped.
    void Summarise()
    {
        // An entry without a comment takes the name of its first lesson as category.
        for (const cImportedList& list : m_result.lists)
            for (const std::uint32_t entry : list.entries)
                if (m_uncommented[entry]) {
                    m_result.tasks[entry].category = list.title;
                    m_uncommented[entry] = false;
                }
        if (m_skipped)
            m_result.notes.push_back(std::to_string(m_skipped) + " leere Einträge übersprungen");
        if (!m_halfFilled.empty()) {
            std::string list;
            for (std::size_t i = 0; i < m_halfFilled.size() && i < 50; ++i)
                list += (i ? ", " : "") + std::to_string(m_halfFilled[i]);
            if (m_halfFilled.size() > 50)
                list += ", ...";
            m_result.notes.push_back("Nur eine Seite ausgefüllt (im Editor ergänzen), Einträge " + list);
        }
    }

    // Empty padding entries are skipped (false); entries with one side are kept and noted.
    bool Keep(int number, const std::string& question, const std::string& solution)
    {
        const bool noQuestion = IsBlankText(question);
        const bool noSolution = IsBlankText(solution);
        if (noQuestion && noSolution) {
            ++m_skipped;
            return false;
        }
        if (noQuestion || noSolution)
            m_halfFilled.push_back(number);
        return true;
    }

    // Version 1: <e m="lesson"><o l="de">original</o><t l="en">translation</t></e>, lessons
    // as <lesson><desc no="1">name</desc></lesson>.
    bool ReadVersion1(const pugi::xml_node root)
    {
        std::unordered_map<int, std::size_t> lessonOf;
        for (const pugi::xml_node desc : root.child("lesson").children("desc")) {
            int no = -1;
            const char* text = desc.attribute("no").value();
            (void)std::from_chars(text, text + std::strlen(text), no);
            cImportedList list;
            if (no < 0 || !Text(desc, list.title))
                return no < 0 ? Fail(desc, "Lektion ohne gültige Nummer (no)") : false;
            lessonOf.emplace(no, m_result.lists.size());
            m_result.lists.push_back(std::move(list));
        }
        int number = 0;
        for (pugi::xml_node e = root.child("e"); e; e = e.next_sibling("e")) {
            if (m_result.tasks.size() >= kMaxImportTasks)
                return Fail(e, "Mehr als " + std::to_string(kMaxImportTasks) +
                                   " Aufgaben in einer Datei werden nicht importiert");
            ++number;
            const pugi::xml_node original = e.child("o");
            const pugi::xml_node translation = e.child("t");
            if (m_result.languages.empty() && (original.attribute("l") || translation.attribute("l"))) {
                const std::string first = original.attribute("l").value();
                const std::string second = translation.attribute("l").value();
                m_result.languages = {{first, first}, {second, second}};
            }
            cImportedTask task;
            if (!Text(original, task.question) || !Text(translation, task.solution))
                return false;
            if (!Keep(number, task.question, task.solution))
                continue;
            int member = 0;
            const char* m = e.attribute("m").value();
            (void)std::from_chars(m, m + std::strlen(m), member);
            const auto lesson = lessonOf.find(member);
            if (lesson != lessonOf.end())
                m_result.lists[lesson->second].entries.push_back(static_cast<std::uint32_t>(m_result.tasks.size()));
            m_uncommented.push_back(true);
            m_result.tasks.push_back(std::move(task));
        }
        return true;
    }
    void WrongFormat()
    {
        m_result.failure = ImportFailure::WrongFormat;
        m_result.message = "Die Datei ist keine KVTML-Datei (kein Element \"kvtml\")";
    }

    bool Fail(std::size_t offset, const std::string& what)
    {
        m_result.failure = ImportFailure::Damaged;
        m_result.message = PlaceText(m_bytes, offset) + ": " + what;
        return false;
    }

    bool Fail(const pugi::xml_node node, const std::string& what)
    {
        // The parser places an element at its name; the place shown is its "<".
        const std::ptrdiff_t at = node.offset_debug() - (node.type() == pugi::node_element ? 1 : 0);
        return Fail(static_cast<std::size_t>(std::max<std::ptrdiff_t>(at, 0)), what);
    }

    // The text of an element as Windows-1252 bytes; line breaks become CR LF.
    bool Text(const pugi::xml_node element, std::string& out)
    {
        const pugi::xml_node data = element.first_child();
        const char* value = element.child_value();
        std::string utf8;
        // Mixed content (several text and CDATA pieces) is joined.
        if (data && data.next_sibling()) {
            for (const pugi::xml_node piece : element.children())
                if (piece.type() == pugi::node_pcdata || piece.type() == pugi::node_cdata)
                    utf8 += piece.value();
        } else {
            utf8 = value;
        }
        if (utf8.size() > kMaxImportText)
            return Fail(element, "Der Text ist länger als 1 MiB");
        // Places are counted before the line ends are widened, in the text as the file has it.
        const std::size_t at = static_cast<std::size_t>(
            std::max<std::ptrdiff_t>((data ? data : element).offset_debug(), 0));
        if (!CheckMappable(utf8, m_options.replaceUnmappable, m_result, m_bytes, at))
            return false;
        if (utf8.find('\n') != std::string::npos) {
            std::string lines;
            for (const char c : utf8) {
                if (c == '\n')
                    lines += '\r';
                lines += c;
            }
            utf8.swap(lines);
        }
        out = Cp1252FromUtf8(utf8);
        return true;
    }

    bool Entries(const pugi::xml_node entries)
    {
        std::size_t count = 0;
        for (pugi::xml_node e = entries.child("entry"); e; e = e.next_sibling("entry"))
            if (++count > kMaxImportTasks)
                return Fail(e, "Mehr als " + std::to_string(kMaxImportTasks) +
                                   " Aufgaben in einer Datei werden nicht importiert");
        m_result.tasks.reserve(count);
        m_index.reserve(count);
        for (pugi::xml_node e = entries.child("entry"); e; e = e.next_sibling("entry")) {
            int id = -1;
            if (!Id(e, id))
                return Fail(e, "Eintrag ohne gültige Kennung (id)");
            if (!m_index.emplace(id, static_cast<std::uint32_t>(m_result.tasks.size())).second)
                return Fail(e, "Die Kennung " + std::to_string(id) + " kommt zweimal vor");
            pugi::xml_node first;
            pugi::xml_node second;
            for (pugi::xml_node t = e.child("translation"); t; t = t.next_sibling("translation")) {
                int tid = -1;
                (void)Id(t, tid);
                if (tid == 0)
                    first = t;
                else if (tid == 1)
                    second = t;
            }
            cImportedTask task;
            if (!Text(first.child("text"), task.question) || !Text(second.child("text"), task.solution))
                return false;
            if (!Keep(id, task.question, task.solution)) {
                m_index[id] = kSkipped;
                continue;
            }
            m_uncommented.push_back(!first.child("comment") && !second.child("comment"));
            for (const pugi::xml_node t : {first, second}) {
                if (task.category.empty() && !Text(t.child("comment"), task.category))
                    return false;
                if (task.picture.empty() && !Text(t.child("image"), task.picture))
                    return false;
                if (task.sound.empty() && !Text(t.child("sound"), task.sound))
                    return false;
            }
            m_result.tasks.push_back(std::move(task));
        }
        return true;
    }

    static bool Id(const pugi::xml_node node, int& id)
    {
        const char* text = node.attribute("id").value();
        const char* end = text + std::strlen(text);
        const auto [ptr, ec] = std::from_chars(text, end, id);
        return ec == std::errc() && ptr == end && id >= 0;
    }

    bool Lesson(const pugi::xml_node lesson, const std::string& parent, int depth = 0)
    {
        if (depth > 64)
            return Fail(lesson, "Die Lektionen sind zu tief verschachtelt");
        std::string name;
        if (!Text(lesson.child("name"), name))
            return false;
        const std::string title = parent.empty() ? name : parent + " / " + name;
        cImportedList list;
        list.title = title;
        for (pugi::xml_node ref = lesson.child("entry"); ref; ref = ref.next_sibling("entry")) {
            int id = -1;
            const auto found = Id(ref, id) ? m_index.find(id) : m_index.end();
            if (found == m_index.end())
                return Fail(ref, "Die Lektion \"" + Cp1252ToUtf8(name) +
                                     "\" verweist auf keinen vorhandenen Eintrag");
            if (found->second != kSkipped)
                list.entries.push_back(found->second);
        }
        const pugi::xml_node child = lesson.child("container");
        // A lesson that only groups others gives no questionnaire of its own.
        if (!list.entries.empty() || !child)
            m_result.lists.push_back(std::move(list));
        for (pugi::xml_node sub = child; sub; sub = sub.next_sibling("container"))
            if (!Lesson(sub, title, depth + 1))
                return false;
        return true;
    }

    std::string_view m_bytes;
    std::string m_converted; // the file as UTF-8 when it declares a single-byte encoding
    const cImportOptions& m_options;
    cImportResult& m_result;
    std::unordered_map<int, std::uint32_t> m_index;
    std::vector<bool> m_uncommented; // per entry: no translation has a comment element
    std::size_t m_skipped = 0;        // empty entries
    std::vector<int> m_halfFilled;    // numbers of entries with one side only
};

void AppendEscaped(std::string& out, const std::string& cp1252)
{
    for (const char c : Cp1252ToUtf8(cp1252)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r': break; // CR LF is written as LF, the XML line end
        default:
            // XML 1.0 has no other control characters.
            out += (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') ? ' ' : c;
        }
    }
}

void AppendElement(std::string& out, const char* indent, const char* name, const std::string& cp1252)
{
    if (cp1252.empty())
        return;
    out += indent;
    out += '<';
    out += name;
    out += '>';
    AppendEscaped(out, cp1252);
    out += "</";
    out += name;
    out += ">\n";
}

} // namespace

cImportResult ParseKvtml(const std::string& bytes, const cImportOptions& options)
{
    cImportResult result;
    cKvtmlReader(bytes, options, result).Read();
    if (!result.Ok()) {
        result.tasks.clear();
        result.lists.clear();
    }
    return result;
}

std::string WriteKvtml(const cTrainingData& data, const std::string& title,
                       const std::vector<cLanguage>& languages)
{
    // A questionnaire holding every task in order says no more than the entries do (it is
    // the one an import made); it would come back as an extra lesson.
    const std::size_t count = data.m_aTasks.size();
    std::vector<const cQuestionnaire*> lessons;
    for (std::size_t q = 0; q + 1 < data.m_aQuestionnaires.size(); ++q) {
        const std::vector<std::uint32_t>& index = data.m_aQuestionnaires[q].m_aTaskIndex;
        bool everyTask = index.size() == count;
        for (std::size_t i = 0; everyTask && i < count; ++i)
            everyTask = index[i] == i;
        if (!everyTask || count == 0)
            lessons.push_back(&data.m_aQuestionnaires[q]);
    }
    // The reader gives an entry without comment the name of its first lesson as category;
    // a comment is written only where that would not give the task's category.
    std::vector<const std::string*> lessonOf(count, nullptr);
    for (const cQuestionnaire* lesson : lessons)
        for (const std::uint32_t index : lesson->m_aTaskIndex)
            if (index < count && !lessonOf[index])
                lessonOf[index] = &lesson->m_strTitle;

    std::string out;
    out.reserve(count * 200 + 1024);
    // Programs of this format look for "kvtml" on the second line.
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n"
           "<kvtml version=\"2.0\">\n"
           "  <information>\n"
           "    <generator>Quorvant " QUORVANT_VERSION "</generator>\n";
    AppendElement(out, "    ", "title", title);
    out += "  </information>\n  <identifiers>\n";
    for (int i = 0; i < 2; ++i) {
        const bool given = languages.size() == 2;
        const std::size_t k = static_cast<std::size_t>(i);
        out += "    <identifier id=\"" + std::to_string(i) + "\">\n";
        AppendElement(out, "      ", "name", given ? Cp1252FromUtf8(languages[k].name) : i ? "L\xF6sung" : "Frage");
        AppendElement(out, "      ", "locale", given ? Cp1252FromUtf8(languages[k].locale) : "de");
        out += "    </identifier>\n";
    }
    out += "  </identifiers>\n  <entries>\n";
    for (std::size_t i = 0; i < count; ++i) {
        const cTask& t = data.m_aTasks[i];
        out += "    <entry id=\"" + std::to_string(i) + "\">\n      <translation id=\"0\">\n";
        AppendElement(out, "        ", "text", t.m_strQuestion);
        if (!lessonOf[i] ? !t.m_strCategory.empty() : t.m_strCategory != *lessonOf[i]) {
            out += "        <comment>";
            AppendEscaped(out, t.m_strCategory);
            out += "</comment>\n";
        }
        AppendElement(out, "        ", "image", t.m_strPicture);
        AppendElement(out, "        ", "sound", t.m_strSound);
        out += "      </translation>\n      <translation id=\"1\">\n";
        AppendElement(out, "        ", "text", t.m_strSolution);
        out += "      </translation>\n    </entry>\n";
    }
    out += "  </entries>\n";
    if (!lessons.empty()) {
        out += "  <lessons>\n";
        for (const cQuestionnaire* lesson : lessons) {
            out += "    <container>\n";
            AppendElement(out, "      ", "name", lesson->m_strTitle);
            out += "      <inpractice>true</inpractice>\n";
            for (const std::uint32_t index : lesson->m_aTaskIndex)
                out += "      <entry id=\"" + std::to_string(index) + "\"/>\n";
            out += "    </container>\n";
        }
        out += "  </lessons>\n";
    }
    out += "</kvtml>\n";
    return out;
}
