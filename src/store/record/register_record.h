// RegisterRecord: the register set on the screen, one field per column of
// TabellaSerieSemplificata, and its copies from and to the table's current row,
// converted by the kind and length the table's description gives each column.
#pragma once

#include "store/engine/engine.h"
#include "store/schema/table_description.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace store {

// The three registers of a set, in the order of their blocks of fields.
enum RegisterKind { Arrivi = 0, Custodia = 1, Deposito = 2 };

struct RegisterRecord {
    // One register: ARRIVI (Arr, work letter A), CUSTODIA (Cus, C), DEPOSITO (Dep, D).
    struct Register {
        QString Serie;
        std::int32_t Cron = 0;
        std::int32_t Riga = 0;
        double Garanz = 0;
        std::int16_t Periodo = 0;
        std::int32_t Data = 0;  // days from 30/12/1899; 0 = no date
        std::array<QString, 5> WkSerie;
        std::array<std::int32_t, 5> WkCron{};

        // A guarantee of NaN (which a server can hold) is the same as
        // another NaN: a register set holding one compares equal to itself.
        bool operator==(const Register& other) const
        {
            const bool sameGuarantee = Garanz == other.Garanz || (Garanz != Garanz && other.Garanz != other.Garanz);
            return sameGuarantee && Serie == other.Serie && Cron == other.Cron && Riga == other.Riga &&
                   Periodo == other.Periodo && Data == other.Data && WkSerie == other.WkSerie &&
                   WkCron == other.WkCron;
        }
    };

    QString SspCodice;
    QString SspDescrizione;
    std::array<Register, 3> Registers;
    std::int32_t SspUltimoCarico = 0;
    std::int32_t SspUltimoScarico = 0;
    QString SspMagNum = QString(6, QLatin1Char(' '));   // fixed, 6 characters
    QString SspMagCin = QStringLiteral(" ");             // fixed, 1 character
    std::int32_t SspMeccanogNum = 0;
    QString SspMeccanogCin = QStringLiteral(" ");        // fixed, 1 character
    QString SspSiglUC;
    QString SspSiglUD;

    bool operator==(const RegisterRecord&) const = default;
};

struct RegisterFieldRow;
// The register-field table (register_fields.h), the copies' default.
const std::vector<RegisterFieldRow>& RegisterFields();

// Every field but SspCodice to its blank state.
void ClearRegister(RegisterRecord& record);
// The cursor's current row into the record, a member for each row of
// `fields` from the column of `table` the row names. A number column's value
// that cannot be read as one (text, a whole number out of its type's range) is 0.
void LoadRegister(const TableCursor& cursor, RegisterRecord& record,
                  const std::vector<RegisterFieldRow>& fields = RegisterFields(),
                  const TableDescription& table = RegisterTableDescription());
// The record into the row being added or edited (the caller updates it):
// the column of every row of `fields`, or of those marked in `columns`
// (indexed by column position).
void StoreRegister(const RegisterRecord& record, TableCursor& cursor,
                   const std::vector<bool>* columns = nullptr,
                   const std::vector<RegisterFieldRow>& fields = RegisterFields(),
                   const TableDescription& table = RegisterTableDescription());
// The fields of the cursor's current row whose stored values the screen
// cannot show as they are (text in a number column, a fraction or an
// overflow in a whole-number column, a date outside the pickers' 01/01/2000 -
// 31/12/2099, a period outside 0-12, a text longer than its field), one line
// each: the field's name and the value as stored, `ARRIVI RIGA: "abc"`.
QStringList UnshowableValues(const TableCursor& cursor);

}  // namespace store
