// A small lexer and recursive-descent parser for the statements Marlin sends.
#include "SqlStatement.h"

#include "CharacterSets.h"
#include "ReservedWords.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace standin {

namespace {

struct Token {
    enum class Kind { Word, Number, Placeholder, Quoted, String, Symbol, End };
    Kind kind = Kind::End;
    std::string text; // words upper-cased; placeholders without the colon
};

bool isLetter(unsigned char c) {
    return std::isalpha(c) != 0 || c >= 0x80;
}
bool isWordByte(unsigned char c) {
    return isLetter(c) || std::isdigit(c) != 0 || c == '_' || c == '$' || c == '#';
}

class Lexer {
  public:
    Lexer(const std::string& text, ub2 characterSet) : text_(text), characterSet_(characterSet) {}

    std::vector<Token> tokens() {
        std::vector<Token> result;
        for (;;) {
            Token token = next();
            result.push_back(token);
            if (token.kind == Token::Kind::End)
                return result;
        }
    }

  private:
    unsigned char at(std::size_t i) const {
        return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0;
    }
    std::string takeWhile(bool (*accept)(unsigned char)) {
        std::size_t start = pos_;
        while (pos_ < text_.size() && accept(at(pos_)))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }
    // The text between the quotes, without them.
    Token delimited(Token::Kind kind, char quote) {
        std::size_t close = text_.find(quote, pos_ + 1);
        std::size_t end = close == std::string::npos ? text_.size() : close;
        Token token{kind, text_.substr(pos_ + 1, end - pos_ - 1)};
        pos_ = close == std::string::npos ? end : close + 1;
        return token;
    }

    Token next() {
        while (pos_ < text_.size() && std::isspace(at(pos_)) != 0)
            ++pos_;
        if (pos_ >= text_.size())
            return Token{};
        unsigned char c = at(pos_);
        if (isLetter(c))
            return Token{Token::Kind::Word, upperCased(takeWhile(isWordByte), characterSet_)};
        if (std::isdigit(c) != 0)
            return Token{Token::Kind::Number,
                         takeWhile([](unsigned char b) { return std::isdigit(b) != 0; })};
        if (c == ':' && isWordByte(at(pos_ + 1))) {
            ++pos_;
            return Token{Token::Kind::Placeholder, takeWhile(isWordByte)};
        }
        if (c == '"')
            return delimited(Token::Kind::Quoted, '"');
        if (c == '\'')
            return delimited(Token::Kind::String, '\'');
        ++pos_;
        return Token{Token::Kind::Symbol, std::string(1, static_cast<char>(c))};
    }

    const std::string& text_;
    const ub2 characterSet_; // unquoted names fold to upper case in it
    std::size_t pos_ = 0;
};

class Parser {
  public:
    Parser(const std::string& text, ub2 characterSet)
        : tokens_(Lexer(text, characterSet).tokens()), characterSet_(characterSet) {}

    SqlStatement parse() {
        const Token& first = peek();
        if (isWord(first, "CREATE"))
            return parseCreate();
        if (isWord(first, "INSERT"))
            return parseInsert();
        if (isWord(first, "SELECT"))
            return parseSelect();
        if (isWord(first, "DROP"))
            return parseDrop();
        if (isWord(first, "ALTER"))
            return parseAlter();
        return refuse(900);
    }

  private:
    const Token& peek() const { return tokens_[std::min(pos_, tokens_.size() - 1)]; }
    const Token& take() {
        const Token& token = peek();
        if (pos_ < tokens_.size() - 1)
            ++pos_;
        return token;
    }
    static bool isWord(const Token& token, const char* word) {
        return token.kind == Token::Kind::Word && token.text == word;
    }
    static bool isSymbol(const Token& token, char symbol) {
        return token.kind == Token::Kind::Symbol && token.text[0] == symbol;
    }
    bool takeSymbol(char symbol) {
        if (!isSymbol(peek(), symbol))
            return false;
        take();
        return true;
    }
    SqlStatement refuse(int code) {
        statement_.errorCode = code;
        return statement_;
    }
    bool atEnd() const { return peek().kind == Token::Kind::End; }

    // A table name: an unquoted identifier that starts with a letter and is not reserved.
    int takeTableName(std::string& target) {
        const Token& name = take();
        if (name.kind != Token::Kind::Word || isReservedWord(name.text))
            return 903;
        if (int error = checkIdentifier(name))
            return error;
        target = name.text;
        return 0;
    }
    int takeTableName() { return takeTableName(statement_.tableName); }
    // "NAME = :placeholder"
    bool takeCondition(const char* column) {
        return isWord(take(), column) && takeSymbol('=') && take().kind == Token::Kind::Placeholder;
    }

    SqlStatement parseCreate();
    int parseColumn();
    int parseCharacterWidth(ColumnDefinition& column, bool fixed);
    int parseNumberPrecision(ColumnDefinition& column);
    int parseNumberScale(ColumnDefinition& column);
    int parseInsertColumns();
    int checkColumns();
    SqlStatement parseInsert();
    SqlStatement parseSelect();
    SqlStatement parseCountRows();
    SqlStatement parseCountObjects();
    SqlStatement parseTableColumns();
    SqlStatement parseDrop();
    SqlStatement parseAlter();
    SqlStatement parseAlterSession();

    // 0 when the word may name a table or column, else Oracle's error: ORA-00911 for bytes
    // that are no text of the database's set, ORA-00972 for a name past the limit.
    int checkIdentifier(const Token& name) const {
        if (!isIdentifierText(name.text, characterSet_))
            return 911;
        return name.text.size() > kMaxIdentifierBytes ? 972 : 0;
    }

    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    SqlStatement statement_;
    const ub2 characterSet_;
};

SqlStatement Parser::parseCreate() {
    take();
    if (!isWord(take(), "TABLE"))
        return refuse(901);
    statement_.kind = SqlStatement::Kind::CreateTable;
    if (int error = takeTableName())
        return refuse(error);
    if (!takeSymbol('('))
        return refuse(atEnd() ? 906 : 922);
    do {
        if (int error = parseColumn())
            return refuse(error);
    } while (takeSymbol(','));
    if (!takeSymbol(')'))
        return refuse(907);
    if (!atEnd())
        return refuse(922);
    statement_.errorCode = checkColumns();
    return statement_;
}

// "NAME TYPE": VARCHAR2(n [BYTE|CHAR]), CHAR[(n [BYTE|CHAR])], NUMBER[(p[,s])], NUMBER(*,s),
// INTEGER, SMALLINT, DATE, CLOB, BLOB or BINARY_DOUBLE.
int Parser::parseColumn() {
    const Token& name = take();
    if (name.kind != Token::Kind::Word || isReservedWord(name.text))
        return 904;
    if (int error = checkIdentifier(name))
        return error;
    ColumnDefinition column;
    column.name = name.text;
    const Token& type = take();
    int error = 0;
    if (isWord(type, "VARCHAR2"))
        error = parseCharacterWidth(column, false);
    else if (isWord(type, "CHAR"))
        error = parseCharacterWidth(column, true);
    else if (isWord(type, "NUMBER"))
        error = parseNumberPrecision(column);
    else if (isWord(type, "INTEGER") || isWord(type, "SMALLINT")) {
        column.type = ColumnType::Number;
        column.scaleOnly = true;
    } else if (isWord(type, "DATE"))
        column.type = ColumnType::Date;
    else if (isWord(type, "CLOB"))
        column.type = ColumnType::Clob;
    else if (isWord(type, "BLOB"))
        column.type = ColumnType::Blob;
    else if (isWord(type, "BINARY_DOUBLE"))
        column.type = ColumnType::BinaryDouble;
    else
        return 902;
    if (error != 0)
        return error;
    statement_.columns.push_back(column);
    return 0;
}

// "(n [BYTE|CHAR])": required after VARCHAR2; CHAR without it is CHAR(1).
int Parser::parseCharacterWidth(ColumnDefinition& column, bool fixed) {
    column.type = fixed ? ColumnType::Char : ColumnType::Varchar2;
    if (fixed && !isSymbol(peek(), '(')) {
        column.width = 1;
        return 0;
    }
    if (!takeSymbol('('))
        return 906;
    const Token& width = take();
    const int largest = fixed ? 2000 : 4000;
    if (width.kind != Token::Kind::Number || width.text.size() > 6 ||
        std::stoi(width.text) > largest)
        return 910;
    if (std::stoi(width.text) == 0)
        return 1723;
    // Without a word the database's default length semantics apply: BYTE.
    column.inCharacters = isWord(peek(), "CHAR");
    if (column.inCharacters || isWord(peek(), "BYTE"))
        take();
    if (!takeSymbol(')'))
        return 907;
    column.width = std::stoi(width.text);
    return 0;
}

// "[(p[,s])]" or "(*,s)": a precision of 1 to 38, a scale of -84 to 127.
int Parser::parseNumberPrecision(ColumnDefinition& column) {
    column.type = ColumnType::Number;
    if (!takeSymbol('('))
        return 0;
    if (takeSymbol('*')) {
        // Oracle's largest precision, with the scale that must follow.
        column.scaleOnly = true;
        if (!isSymbol(peek(), ','))
            return 1727;
        return parseNumberScale(column);
    }
    const Token& precision = take();
    if (precision.kind != Token::Kind::Number)
        return 1727;
    if (precision.text.size() > 3 || std::stoi(precision.text) < 1 ||
        std::stoi(precision.text) > 38)
        return 1727;
    column.precision = std::stoi(precision.text);
    if (isSymbol(peek(), ','))
        return parseNumberScale(column);
    return takeSymbol(')') ? 0 : 907;
}

// ",s)" after a NUMBER's precision.
int Parser::parseNumberScale(ColumnDefinition& column) {
    take();
    const bool negative = takeSymbol('-');
    const Token& scale = take();
    if (scale.kind != Token::Kind::Number || scale.text.size() > 3)
        return 1728;
    column.scale = (negative ? -1 : 1) * std::stoi(scale.text);
    if (column.scale < -84 || column.scale > 127)
        return 1728;
    return takeSymbol(')') ? 0 : 907;
}

int Parser::checkColumns() {
    std::vector<ColumnDefinition>& columns = statement_.columns;
    if (columns.size() > 1000)
        return 1792;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        for (std::size_t j = i + 1; j < columns.size(); ++j) {
            if (columns[i].name == columns[j].name)
                return 957;
        }
    }
    return 0;
}

// "INSERT INTO name [( col , ... )] VALUES ( :a , :b ... )"
SqlStatement Parser::parseInsert() {
    take();
    if (!isWord(take(), "INTO"))
        return refuse(925);
    statement_.kind = SqlStatement::Kind::Insert;
    if (int error = takeTableName())
        return refuse(error);
    if (takeSymbol('('))
        if (int error = parseInsertColumns())
            return refuse(error);
    if (!isWord(take(), "VALUES"))
        return refuse(926);
    if (!takeSymbol('('))
        return refuse(906);
    do {
        const Token& value = take();
        if (value.kind != Token::Kind::Placeholder)
            return refuse(984);
        ++statement_.placeholderCount;
    } while (takeSymbol(','));
    if (!takeSymbol(')'))
        return refuse(917);
    if (!atEnd())
        return refuse(933);
    return statement_;
}

// "col , ... )" after the table's name; the columns themselves are checked at execution.
int Parser::parseInsertColumns() {
    do {
        const Token& column = take();
        if (column.kind != Token::Kind::Word || isReservedWord(column.text))
            return 904;
        if (int error = checkIdentifier(column))
            return error;
        statement_.insertColumns.push_back(column.text);
    } while (takeSymbol(','));
    return takeSymbol(')') ? 0 : 907;
}

SqlStatement Parser::parseSelect() {
    take();
    if (isWord(peek(), "COUNT"))
        return parseCountObjects();
    return parseTableColumns();
}

// "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :x [AND OBJECT_TYPE = :y]",
// COUNT(*) too; or "SELECT COUNT(*) FROM name", the rows of a table.
SqlStatement Parser::parseCountObjects() {
    bool fromSeen = std::any_of(tokens_.begin(), tokens_.end(),
                                [](const Token& token) { return isWord(token, "FROM"); });
    bool matches = isWord(take(), "COUNT") && takeSymbol('(');
    matches = matches && (takeSymbol('*') || (peek().kind == Token::Kind::Number &&
                                              peek().text == "1" && (take(), true)));
    matches = matches && takeSymbol(')') && isWord(take(), "FROM");
    if (matches && !isWord(peek(), "USER_OBJECTS"))
        return parseCountRows();
    matches = matches && isWord(take(), "USER_OBJECTS") && isWord(take(), "WHERE") &&
              takeCondition("OBJECT_NAME");
    if (matches && isWord(peek(), "AND")) {
        take();
        matches = takeCondition("OBJECT_TYPE");
        statement_.byObjectType = true;
    }
    if (!matches || !atEnd())
        return refuse(fromSeen ? 942 : 923);
    statement_.kind = SqlStatement::Kind::CountObjects;
    statement_.placeholderCount = statement_.byObjectType ? 2 : 1;
    return statement_;
}

// "name" after "SELECT COUNT(*) FROM".
SqlStatement Parser::parseCountRows() {
    statement_.kind = SqlStatement::Kind::CountRows;
    if (int error = takeTableName())
        return refuse(error == 903 ? 942 : error);
    if (!atEnd())
        return refuse(933);
    return statement_;
}

// "SELECT COLUMN_NAME, ... FROM USER_TAB_COLUMNS WHERE TABLE_NAME = :t [AND COLUMN_ID = :n]"
SqlStatement Parser::parseTableColumns() {
    do {
        const Token& item = take();
        if (item.kind != Token::Kind::Word || item.text == "FROM")
            return refuse(936);
        statement_.selectItems.push_back(item.text);
    } while (takeSymbol(','));
    if (!isWord(take(), "FROM"))
        return refuse(923);
    if (!isWord(take(), "USER_TAB_COLUMNS"))
        return refuse(942);
    for (const std::string& item : statement_.selectItems) {
        if (!isTableColumnsItem(item))
            return refuse(904);
    }
    if (!isWord(take(), "WHERE") || !takeCondition("TABLE_NAME"))
        return refuse(933);
    statement_.placeholderCount = 1;
    if (isWord(peek(), "AND")) {
        take();
        if (!takeCondition("COLUMN_ID"))
            return refuse(933);
        statement_.byColumnId = true;
        statement_.placeholderCount = 2;
    }
    if (!atEnd())
        return refuse(933);
    statement_.kind = SqlStatement::Kind::TableColumns;
    return statement_;
}

// "DROP TABLE name [PURGE]"
SqlStatement Parser::parseDrop() {
    take();
    if (!isWord(take(), "TABLE"))
        return refuse(950);
    statement_.kind = SqlStatement::Kind::DropTable;
    if (int error = takeTableName())
        return refuse(error);
    if (isWord(peek(), "PURGE"))
        take();
    if (!atEnd())
        return refuse(933);
    return statement_;
}

// "ALTER TABLE name RENAME TO new_name", or ALTER SESSION.
SqlStatement Parser::parseAlter() {
    take();
    if (isWord(peek(), "SESSION"))
        return parseAlterSession();
    if (!isWord(take(), "TABLE"))
        return refuse(940);
    statement_.kind = SqlStatement::Kind::RenameTable;
    if (int error = takeTableName())
        return refuse(error);
    if (!isWord(take(), "RENAME"))
        return refuse(1735);
    if (!isWord(take(), "TO"))
        return refuse(905);
    if (int error = takeTableName(statement_.newTableName))
        return refuse(error);
    if (!atEnd())
        return refuse(14047);
    return statement_;
}

// "ALTER SESSION SET name = 'value' [name = 'value'] ..."
SqlStatement Parser::parseAlterSession() {
    take();
    if (!isWord(take(), "SET"))
        return refuse(922);
    statement_.kind = SqlStatement::Kind::AlterSession;
    do {
        const Token& name = take();
        if (name.kind != Token::Kind::Word)
            return refuse(922);
        if (!takeSymbol('='))
            return refuse(922);
        const Token& value = take();
        if (value.kind != Token::Kind::String)
            return refuse(922);
        statement_.sessionSettings.emplace_back(name.text, value.text);
    } while (!atEnd());
    return statement_;
}

} // namespace

bool isTableColumnsItem(const std::string& upperName) {
    for (const char* item : {"COLUMN_NAME", "DATA_TYPE", "DATA_LENGTH", "DATA_PRECISION",
                             "DATA_SCALE", "CHAR_LENGTH", "CHAR_USED", "COLUMN_ID"}) {
        if (upperName == item)
            return true;
    }
    return false;
}

bool isReservedWord(const std::string& upperName) {
    for (const char* word : kReservedWords) {
        if (upperName == word)
            return true;
    }
    return false;
}

SqlStatement parseSql(const std::string& text, unsigned short characterSet) {
    return Parser(text, characterSet).parse();
}

} // namespace standin
