// The numbered pages of a register, to be stamped by the customs office before
// use: each carries "Pag. n" with the company and the date of printing beside
// it, the register's five header lines, the register set's code and the
// register's series, and space for the office's stamp; the body is left for
// the entries. A page printed before is marked "RISTAMPA".
#pragma once

#include "paper/page_prints.h"
#include "paper/pdf_file.h"
#include "store/engine/engine.h"

#include <QDate>
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
    QDate printed;                 // the date of printing, on every page
};

// What the pages of `reg` of register set `code` carry, from `first` to
// `last`; nothing when there is no such register set. Throws the engine's
// error when the tables cannot be read.
std::optional<RegisterPages> ReadRegisterPages(store::Database& database, const QString& company,
                                               const QString& code, PageRegister reg, int first, int last);

// Why pages whose five header lines are all blank are not printed unless
// asked for: nothing on them would say whose they are. Names the lines to
// fill; empty when a line holds something.
QString EmptyHeaderProblem(const RegisterPages& pages);

void PaintRegisterPages(QPagedPaintDevice& device, const RegisterPages& pages);
DocumentInfo PagesInfo(const RegisterPages& pages);

}  // namespace paper
