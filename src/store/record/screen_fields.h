// The fields of the entry screen by name: the Txt indices of the description,
// the twenty header lines, the three register blocks with the offsets of their
// fields, and the single fields beside them. Every routine that addresses a
// field by index takes its number from here; the single fields' numbers, and
// with them Field::Last and Field::Count, come from the register-field
// table's SingleFields, so a row added there cannot leave them behind.
#pragma once

#include "store/record/register_fields.h"

#include <iterator>

namespace store::Field {

constexpr int Description = 1;       // Txt(1), the register set's description
constexpr int FirstHeaderLine = 2;   // Txt(2) to Txt(21): header lines, five per block
constexpr int LastHeaderLine = 21;
constexpr int HeaderLinesPerBlock = 5;

// The three register blocks (ARRIVI, CUSTODIA, DEPOSITO), fourteen fields each.
constexpr int RegisterBase[3] = {22, 36, 50};
constexpr int BlockLength = 14;
// Offsets of a block's fields from its first.
constexpr int SerieOffset = 0;
constexpr int CronOffset = 1;
constexpr int WorkSerieOffset(int n) { return 2 + 2 * n; }  // work position n, 0 to 4
constexpr int WorkCronOffset(int n) { return 3 + 2 * n; }
constexpr int RigaOffset = 12;
constexpr int GaranzOffset = 13;
constexpr int WorkPositions = 5;

constexpr int Serie(int k) { return RegisterBase[k] + SerieOffset; }
constexpr int Cron(int k) { return RegisterBase[k] + CronOffset; }
constexpr int WorkSerie(int k, int n) { return RegisterBase[k] + WorkSerieOffset(n); }
constexpr int WorkCron(int k, int n) { return RegisterBase[k] + WorkCronOffset(n); }
constexpr int Riga(int k) { return RegisterBase[k] + RigaOffset; }
constexpr int Garanz(int k) { return RegisterBase[k] + GaranzOffset; }  // the amount fields

// The single fields after the blocks: Txt(64) onwards, a row of SingleFields each.
constexpr int FirstSingle = Garanz(2) + 1;
// The Txt index of the single field that shows register column `column`. A
// column without its row in SingleFields does not compile.
consteval int Single(int column)
{
    for (std::size_t i = 0; i < std::size(SingleFields); ++i)
        if (SingleFields[i].column == column)
            return FirstSingle + int(i);
    throw "no row of SingleFields shows this column";
}
constexpr int UltimoCarico = Single(RegisterColumns::UltimoCarico);
constexpr int UltimoScarico = Single(RegisterColumns::UltimoScarico);
constexpr int MagNum = Single(RegisterColumns::MagNum);
constexpr int MagCin = Single(RegisterColumns::MagCin);
constexpr int SiglUC = Single(RegisterColumns::SiglUC);
constexpr int SiglUD = Single(RegisterColumns::SiglUD);
constexpr int MeccanogNum = Single(RegisterColumns::MeccanogNum);
constexpr int MeccanogCin = Single(RegisterColumns::MeccanogCin);

constexpr int First = 1;  // the field ring runs from Txt(1)
constexpr int Last = FirstSingle + int(std::size(SingleFields)) - 1;  // to the last single field
constexpr int Count = Last + 1;  // array size; Txt(0) does not exist

// The register whose series, when filled, makes CUSTODIA copy ARRIVI's work
// series; CUSTODIA's first four work series are only ever copied, never typed.
constexpr int CustodySerie = Serie(1);
constexpr int DisabledCustodyWorkSeries = 4;

// One of ARRIVI's work series, which CUSTODIA's work series mirror.
constexpr bool IsArriviWorkSerie(int i)
{
    for (int n = 0; n < WorkPositions; ++n)
        if (i == WorkSerie(0, n))
            return true;
    return false;
}
// The CUSTODIA field that mirrors ARRIVI's field i.
constexpr int CustodyMirror(int i) { return i + RegisterBase[1] - RegisterBase[0]; }
// Header line `line` (1 to 5) of block b (0 A, 1 D, 2 C, 3 P).
constexpr int HeaderLine(int block, int line) { return FirstHeaderLine + HeaderLinesPerBlock * block + line - 1; }

static_assert(FirstSingle == 64 && UltimoCarico == FirstSingle && MeccanogCin <= Last);
static_assert(HeaderLine(3, 5) == LastHeaderLine && LastHeaderLine + 1 == RegisterBase[0]);

}  // namespace store::Field
