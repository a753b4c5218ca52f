// A temporary company's tables opened as the window opens them (the change
// history too, where the company keeps one), boxes answered by script, and the
// lookup and the confirm as the window makes them.
#pragma once

#include "store/registers/header_lines.h"
#include "store/record/register_record.h"
#include "store/registers/register_set.h"
#include <gtest/gtest.h>
#include "store/tables/tables.h"
#include "store/registers/write_conflicts.h"
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

// A register set with a different value in every member: register k has the
// series "S<k>", number 100+k, line 7+k, amount 1234.5*(k+1), period k+1, the
// date 15/09/2003 plus k days, and work positions "<A+k><n>", 1000+10k+n.
inline store::RegisterRecord FullRegister(const QString& code, const QString& description)
{
    store::RegisterRecord record;
    record.SspCodice = code;
    record.SspDescrizione = description;
    for (int k = 0; k < 3; ++k) {
        auto& reg = record.Registers[k];
        reg.Serie = QStringLiteral("S%1").arg(k);
        reg.Cron = 100 + k;
        reg.Riga = 7 + k;
        reg.Garanz = 1234.5 * (k + 1);
        reg.Periodo = std::int16_t(k + 1);
        reg.Data = 37879 + k;
        for (int n = 0; n < 5; ++n) {
            reg.WkSerie[n] = QStringLiteral("%1%2").arg(QChar('A' + k)).arg(n);
            reg.WkCron[n] = 1000 + 10 * k + n;
        }
    }
    record.SspUltimoCarico = 11;
    record.SspUltimoScarico = 12;
    record.SspMagNum = "12    ";
    record.SspMagCin = "X";
    record.SspMeccanogNum = 999;
    record.SspMeccanogCin = "K";
    record.SspSiglUC = "DAU";
    record.SspSiglUD = "T1";
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
    OpenedCompany(const OpenedCompany&) = delete;
    OpenedCompany& operator=(const OpenedCompany&) = delete;
    // The window's lookup: what is stored for `code` becomes what the screen shows.
    void show(const QString& code)
    {
        EXPECT_NE(set.lookUp(code, boxes), store::LookupResult::Failed);
    }
    // Confirm: the screen written over what the lookup showed.
    bool write(const store::ScreenValues& screen)
    {
        return set.write(screen, store::BlankHeaderLines(), boxes);
    }

    testing_support::ScriptedBoxes boxes;
    store::CompanyDatabase db;
    store::RegisterSet set{db};
    store::ShownVersion& shown = set.shown;
    store::RegisterRecord& record = set.record;
};

}  // namespace store_tests
