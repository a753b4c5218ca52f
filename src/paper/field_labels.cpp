// The screen's labels by field index.
#include "paper/field_labels.h"

#include "store/screen_fields.h"

namespace paper {

namespace Field = store::Field;

QString ScreenLabel(int field)
{
    if (field == Field::Description)
        return QStringLiteral("Descrizione");
    for (int k = 0; k < 3; ++k) {
        if (field == Field::Serie(k))
            return QStringLiteral("Serie");
        if (field == Field::Cron(k))
            return QStringLiteral("Ult. Cronol.");
        if (field == Field::Riga(k))
            return QStringLiteral("Riga");
        if (field == Field::Garanz(k))
            return QStringLiteral("Garanzia");
        for (int n = 0; n < Field::WorkPositions; ++n)
            if (field == Field::WorkSerie(k, n) || field == Field::WorkCron(k, n))
                return QStringLiteral("Docum. %1").arg(n + 1);
    }
    switch (field) {
    case Field::UltimoCarico:
        return QStringLiteral("Ult. Carico");
    case Field::UltimoScarico:
        return QStringLiteral("Ult. Scarico");
    case Field::MagNum:
    case Field::MagCin:
        return QStringLiteral("Magazzino");
    case Field::SiglUC:
    case Field::SiglUD:
        return QStringLiteral("Sigla per uscita");
    case Field::MeccanogNum:
    case Field::MeccanogCin:
        return QStringLiteral("Autorizzazione Cod. meccanogr.");
    default:
        return {};
    }
}

QString HeaderBlockLabel(int block)
{
    static const char* const labels[] = {"ARRIVI", "DEPOSITO", "CUSTODIA", "Intestazione Preavviso"};
    return block >= 0 && block < 4 ? QString::fromLatin1(labels[block]) : QString();
}

}  // namespace paper
