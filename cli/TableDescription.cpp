// The description of a table, built from the reader's answers and the load's own rules, so
// that it says what a load would do rather than what the file's format allows.
#include "cli/TableDescription.h"

#include "dbf/DbfHeader.h"
#include "dbf/DbfTable.h"
#include "load/ColumnNames.h"
#include "load/LoadPlan.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using Row = std::vector<std::string>;

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// Labels and their continuation lines line up at column 16.
constexpr std::size_t kValueColumn = 16;

std::string label(const std::string& name) {
    std::string text = name + ":";
    text.resize(std::max(text.size() + 1, kValueColumn), ' ');
    return text;
}

std::string line(const std::string& name, const std::string& value) {
    return label(name) + value + "\n";
}

std::string recordsText(const DbfTable& table) {
    const std::uint32_t declared = table.declaredRecordCount();
    const std::uint64_t held = table.wholeRecordsInFile();
    std::string text = std::to_string(table.recordCount());
    if (held < declared)
        text += " (the header says " + std::to_string(declared) + "; the file holds " +
                std::to_string(held) + " whole records)";
    else if (held > declared)
        text += " (the file holds " + std::to_string(held) +
                " whole records; a load reads the ones the header counts)";
    return text;
}

std::string headerCodePageText(const DbfTable& table) {
    const std::string byte = "header byte 29 (" + hexByte(table.languageDriver()) + ")";
    if (table.codePage() == 0)
        return byte + " names none";
    return byte + " names " + std::to_string(table.codePage()) +
           ", which this system cannot decode";
}

// What the .cpg file beside the table says, when it is not what the load follows.
std::string codePageFileText(const DbfTable& table, const CodePageChoice& choice) {
    const CodePageFile& file = table.codePageFile();
    if (!file.found() || choice.source == CodePageChoice::Source::CodePageFile)
        return "";
    std::string text =
        "; " + platform::utf8FromLocal(file.name()) + " says \"" + file.text() + "\"";
    if (file.codePage() != 0 && platform::canDecodeCodePage(file.codePage()))
        return text + " (" + std::to_string(file.codePage()) + ")";
    return text + ", which names no code page this system decodes";
}

// The code page a load reads the text in (its plan's choice), and what named it.
std::string codePageText(const DbfTable& table, const CodePageChoice& choice) {
    using Source = CodePageChoice::Source;
    const std::string number = std::to_string(choice.codePage);
    std::string text;
    switch (choice.source) {
    case Source::Forced:
        text = number + ", forced by --codepage " + number + "!";
        break;
    case Source::Header:
        text = number + ", named by header byte 29 (" + hexByte(table.languageDriver()) + ")";
        break;
    case Source::CodePageFile:
        text = number + ", named by " + platform::utf8FromLocal(table.codePageFile().name()) +
               " (\"" + table.codePageFile().text() + "\"): " + headerCodePageText(table);
        break;
    case Source::Option:
        text = number + ", named by --codepage: " + headerCodePageText(table);
        break;
    case Source::Oem:
        text = "the OEM code page, " + number + ": " + headerCodePageText(table);
        break;
    }
    text += codePageFileText(table, choice);
    if (!table.languageDriverName().empty())
        text += "; language driver " + table.languageDriverName();
    return text;
}

std::string memoFileText(DbfTable& table) {
    const MemoFile& memo = table.memoFile();
    std::string text;
    if (memo.isOpen()) {
        const char* layout = memo.layout() == MemoFile::Layout::FoxPro   ? "FoxPro"
                             : memo.layout() == MemoFile::Layout::DBase3 ? "dBase III"
                                                                         : "dBase IV";
        return platform::utf8FromLocal(memo.name()) + " (" + memoExtension(memo.kind()) + ", " +
               layout + " blocks of " + std::to_string(memo.blockSize()) + " bytes)\n";
    }
    if (memo.state() == MemoFile::State::NotFound)
        text = "none found (looked for " + platform::utf8FromLocal(memo.name()) +
               " in any case, and for the other kind)\n";
    else
        text = platform::utf8FromLocal(memo.problemText()) + "\n";
    if (table.holdsMemoPointer())
        text += std::string(kValueColumn, ' ') +
                "records point into it: a load stops before it connects\n";
    return text;
}

// A field's name as the file holds it, in UTF-8.
std::string nameOf(const DbfTable& table, int field, const TextConverter& converter) {
    const std::string name = table.fieldName(field);
    return converter.toUtf8(name.data(), name.size());
}

std::string headerText(const std::string& fileName, const DbfTable& table,
                       const TextConverter& converter) {
    const std::vector<DisplacementProblem> problems = findDisplacementProblems(fileName.c_str());
    if (problems.empty())
        return "sound\n";
    std::string text =
        std::to_string(problems.size()) + " displacements a load repairs in a working copy:\n";
    for (const DisplacementProblem& problem : problems)
        text += std::string(kValueColumn, ' ') + "field " + std::to_string(problem.field + 1) +
                " " + nameOf(table, problem.field, converter) + ": " +
                std::to_string(problem.stored) + ", should be " + std::to_string(problem.expected) +
                "\n";
    return text;
}

std::string flagsText(const DbfFieldInfo& field) {
    if (field.system)
        return "null flags: no column";
    std::string text;
    if (field.nullBit >= 0)
        text = "nullable (bit " + std::to_string(field.nullBit) + ")";
    if (field.lengthBit >= 0)
        text += (text.empty() ? "" : ", ") + std::string("length bit ") +
                std::to_string(field.lengthBit);
    return text;
}

// One row per field; the columns come from the load's own plan (its names before
// --fix-names), the width from the default load's.
std::vector<Row> fieldRows(DbfTable& table, bool fixNames, const LoadPlan& plan,
                           const TextConverter& converter) {
    const std::vector<Column>& columns = plan.columns;
    const bool typed = plan.typed;
    const std::vector<std::string> fixed = loadableColumnNames(columnNamesOf(columns));
    std::vector<Row> rows;
    rows.push_back({"Field", "Type", "Length", "Decimals", "Column", "Width"});
    if (typed)
        rows.back().push_back("With --typed");
    if (fixNames)
        rows.back().push_back("With --fix-names");
    rows.back().push_back("Flags");
    std::size_t column = 0;
    for (int index = 0; index < table.fieldCount(); ++index) {
        const DbfFieldInfo field = table.fieldInfo(index);
        Row row{nameOf(table, index, converter), std::string(1, field.type),
                std::to_string(field.length), std::to_string(field.decimals)};
        const bool hasColumn = !field.system && column < columns.size();
        row.push_back(hasColumn ? columns[column].name : "-");
        row.push_back(hasColumn ? std::to_string(table.fieldWidth(index)) : "-");
        if (typed)
            row.push_back(hasColumn ? columnTypeText(columns[column].type, columns[column].width)
                                    : "-");
        if (fixNames)
            row.push_back(hasColumn ? fixed[column] : "-");
        row.push_back(flagsText(field));
        column += hasColumn ? 1 : 0;
        rows.push_back(row);
    }
    return rows;
}

// Characters, not bytes: a national letter takes one place on the screen.
std::size_t characterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return !utf8::isContinuationByte(static_cast<unsigned char>(c));
    }));
}

// Columns two blanks apart, the numbers' right-aligned; no trailing blanks.
std::string alignedRows(const std::vector<Row>& rows, const std::vector<bool>& rightAligned) {
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const Row& row : rows)
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], characterCount(row[column]));
    std::string text;
    for (const Row& row : rows) {
        std::string out;
        for (std::size_t column = 0; column < row.size(); ++column) {
            const std::string gap(widths[column] - characterCount(row[column]), ' ');
            out += column == 0 ? "" : "  ";
            out += rightAligned[column] ? gap + row[column] : row[column] + gap;
        }
        out.erase(out.find_last_not_of(' ') + 1);
        text += out + "\n";
    }
    return text;
}

} // namespace

bool describeTable(const std::string& fileName, const LoadOptions& options, std::string& text) {
    DbfTable table;
    if (!table.open(fileName.c_str())) {
        text = table.openFailureText();
        return false;
    }
    // The plan a load makes, with the names as the file gives them: the fixed ones are shown
    // beside them.
    LoadOptions asFileNames = options;
    asFileNames.fixNames = false;
    const LoadPlan plan = planLoad(table, asFileNames);
    if (!plan.converter) {
        text = "Cannot convert the file's text: this system cannot decode its code page.";
        return false;
    }
    const TextConverter& converter = *plan.converter;
    const bool fixNames = options.fixNames;
    text = line("File", platform::utf8FromLocal(fileName));
    text += line("Dialect", std::string(table.dialect().name) + " (version byte " +
                                hexByte(table.versionByte()) + ")");
    text += line("Records", recordsText(table));
    text += line("Record width", std::to_string(table.recordBytes()) + " bytes; columns take " +
                                     std::to_string(table.recordWidth()) + " characters a row");
    text += line("Code page", codePageText(table, plan.codePage));
    text += label("Memo file") + memoFileText(table);
    text += label("Header") + headerText(fileName, table, converter);
    text += line("Fields", std::to_string(table.fieldCount())) + "\n";
    // Field, type, length, decimals, column, width, [typed column,] [fixed name,] flags.
    std::vector<bool> rightAligned{false, false, true, true, false, true, false};
    if (plan.typed)
        rightAligned.push_back(false);
    if (fixNames)
        rightAligned.push_back(false);
    text += alignedRows(fieldRows(table, fixNames, plan, converter), rightAligned);
    return true;
}
