// A temporary company's tables opened as the window opens them (the change
// history too, where the company keeps one), boxes answered by script, and the
// lookup and the confirm as the window makes them.
#pragma once

#include "store/header_lines.h"
#include "store/register_record.h"
#include "store/register_save.h"
#include "store/tables.h"
#include "store/write_conflicts.h"
#include "support/scripted_boxes.h"
#include "support/temp_company.h"

namespace store_tests {

// A register set with nothing in it but its code and description.
inline store::RegisterRecord BlankRegister(const QString& code, const QString& description)
{
    store::RegisterRecord record;
    record.SspCodice = code;
    store::ClearRegister(record);
    record.SspDescrizione = description;
    return record;
}

struct OpenedCompany {
    explicit OpenedCompany(const testing_support::TempCompany& company)
        : db{store::openDatabase(company.databasePath())}
    {
        store::OpenRegisterTable(db, boxes);
        store::OpenHeaderTable(db, boxes);
        store::OpenDocTypeTable(db, boxes);
        store::OpenHistoryTable(db, boxes);
    }
    // The lookup: what is stored for `code` becomes what the screen shows.
    void show(const QString& code)
    {
        shown.row = store::StoredRegister(*db.RegisterCursor, code);
        shown.header = store::StoredHeader(*db.HeaderCursor, code);
    }
    // Confirm: the screen written over what the lookup showed.
    bool write(const store::ScreenValues& screen)
    {
        return store::WriteRegister(db, screen, record, shown, store::BlankHeaderLines(), boxes);
    }

    testing_support::ScriptedBoxes boxes;
    store::CompanyDatabase db;
    store::ShownVersion shown;
    store::RegisterRecord record;
};

}  // namespace store_tests
