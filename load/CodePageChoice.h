// Which code page a load reads a table's text in, and where that choice came from.
#pragma once

#include "dbf/DbfTable.h"
#include "load/LoadState.h"

#include <string>

struct CodePageChoice {
    enum class Source {
        Forced,       // the options' code page, forced for every file
        Header,       // the one header byte 29 names
        CodePageFile, // the one the .cpg file beside the table names
        Option,       // the options' code page, for a file that names none
        Oem,          // the machine's OEM code page, for a file that names none
    };
    unsigned codePage = 0;
    Source source = Source::Oem;
};

// The first of these this system can decode: the options' code page when they force it; the
// one the header names; the one the table's .cpg file names; the options' code page; the
// machine's OEM code page (taken whether it decodes or not).
CodePageChoice chooseCodePage(const DbfTable& table, const LoadOptions& options);

// A status line for a table whose .cpg file was read but names no code page this system
// decodes, when nothing before it named one: its text, and the code page read instead.
// Empty otherwise.
std::string unknownCodePageFileLine(const DbfTable& table, const CodePageChoice& choice);
