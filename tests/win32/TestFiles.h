// Files for the tests of the Win32 services: whole-file reads and writes that
// do not go through the code under test, a fresh directory per test, and the
// golden files of the source tree.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

// The file's whole content, or nothing when it cannot be opened. Reading and
// writing stay shared, so a file that another process or an open object of
// the code under test still holds can be read.
std::optional<std::string> ReadBytes(const std::string& path);

// Creates or truncates the file with exactly bytes; its directory must exist.
// A file that cannot be written is a test failure.
void WriteBytes(const std::string& path, const std::string& bytes);

// True when a file or a directory exists at path.
bool Exists(const std::string& path);

// Deletes the directory with everything in it, read-only entries too. Does
// nothing for a path of three characters or fewer ("", "C:\", "\\"), so that
// a fixture whose set-up failed cannot empty a root.
void RemoveTree(const std::string& dir);

// A golden file of tests/data, named relative to it ("ini/input.ini").
std::string DataFile(const std::string& name);

// A test with its own empty directory, <temp>\tamsk-<Suite>-<Name>, removed
// afterwards. A derived fixture that adds state calls SetUp first and
// TearDown last.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // dir_\name.
    std::string PathOf(const std::string& name) const;

    // Creates dir_\name (its directory must exist) holding bytes; its path.
    std::string Write(const std::string& name, const std::string& bytes = "x") const;

    std::string dir_;
};
