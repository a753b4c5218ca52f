// The numbered pages of a register, to be stamped by the customs office before
// use: each carries "Pag. n", the register's five header lines, the register
// set's code and the register's series, and space for the office's stamp; the
// body is left for the entries. A page printed before is marked "RISTAMPA".
#pragma once

#include "paper/page_prints.h"
#include "paper/pdf_file.h"
#include "store/engine/engine.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

class QPagedPaintDevice;

namespace paper {

struct RegisterPages {
    QString company;
    QString code;
    PageRegister reg = PageRegister::Arrivi;
    std::array<QString, 5> lines;  // the register's header lines, as stored
    QString series;                // none for PREAVVISO
    int first = 1;
    int last = 1;
    std::vector<int> reprinted;    // the pages marked "RISTAMPA"
};

// What the pages of `reg` of register set `code` carry, from `first` to
// `last`; nothing when there is no such register set. Throws the engine's
// error when the tables cannot be read.
std::optional<RegisterPages> ReadRegisterPages(store::Database& database, const QString& company,
                                               const QString& code, PageRegister reg, int first, int last);

void PaintRegisterPages(QPagedPaintDevice& device, const RegisterPages& pages);
DocumentInfo PagesInfo(const RegisterPages& pages);

}  // namespace paper
