#pragma once

#include <QString>

#include <cstdio>

namespace zu::conntool {

// `zu-conntool import FILE [--sheet N] [--dry-run] [--user NAME] --home DIR`: imports customers
// from a spreadsheet file into the program's database as the import window does (the same
// reader process, the pairing the mapping table gives the file's titles, the same rules), and
// prints the pairing, the counts and the rows not imported.
struct ImportRequest
{
    QString home;
    QString file;
    int sheet = -1;      // from 0; -1: the sheet that was active when the file was saved
    bool dryRun = false; // everything is checked and then rolled back
    QString userName;    // 制单人 of the imported customers
};

enum ImportStatus
{
    AllImported = 0,
    SomeFailed = 1,
    NothingDone = 2, // the file could not be read or the database not reached
};

ImportStatus importCustomers(const ImportRequest& request, FILE* out, FILE* err);

} // namespace zu::conntool
