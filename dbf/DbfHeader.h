// The check of a DBF header's field displacements, their repair in a working copy, and the
// choice of that copy's name.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// True when every field descriptor in front of the terminator whose length is not zero has
// the displacement that the lengths before it imply (1 for the first field, after the
// deletion flag). Also true when the file cannot be opened or its header length cannot be
// read: the open that follows reports such a file. Always true for a dBase 7 table, whose
// descriptors store no displacements. False when a displacement differs.
bool checkDbfHeader(const char* path);

// A displacement the repair would rewrite: of the descriptor in slot `field`.
struct DisplacementProblem {
    int field;
    std::uint32_t stored;
    std::uint32_t expected;
};

// Every displacement checkDbfHeader would find wrong, in descriptor order; empty when the
// check passes.
std::vector<DisplacementProblem> findDisplacementProblems(const char* path);

// Rewrites the displacements that checkDbfHeader compares, and nothing else. Returns false
// when the file cannot be opened for reading and writing or a displacement cannot be
// written; true otherwise (also when there was nothing to write).
bool repairDbfHeader(const char* path);

// fileName + "." + counter + ".tmp": the name of a working copy beside the file.
std::string workingCopyName(const std::string& fileName, int counter);

// Tries the counters 0 to 10001 in order; for each candidate calls tried(name, exists) and
// returns the first name under which no file exists (exact name). std::nullopt when all of
// them exist.
std::optional<std::string>
findFreeWorkingCopyName(const std::string& fileName,
                        const std::function<void(const std::string& name, bool exists)>& tried);
