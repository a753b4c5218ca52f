// ModuliOpzionali: starts a sibling program of the suite, or brings its running
// instance forward, and hands it the company code through the shared INI file
// (the program's section keeps "DITTA" and "HANDLE"; "APPLICATIVI" maps
// program names to the command lines that start them).
#pragma once

#include <QString>

namespace store { class MessageBoxes; }

namespace shell { struct Session; }

namespace shell {

class ModuliOpzionali {
public:
    // The INI file and the company come from the session.
    ModuliOpzionali(const Session& session, store::MessageBoxes& boxes);

    // Assignments and reads, with the suite's argument names.
    void setNomeProceduraChiamata(const QString& NProc);
    void setNomeProceduraChiamante(const QString& NProc);
    void setCodiceDitta(const QString& Ditta);  // takes the session's company; Ditta is unused
    QString codiceDitta() const;
    QString numeroHandleString() const;

    void leggiCodiceSocieta();
    void scriviCodiceSocieta();
    void pulisciHandle();
    void scriviHandle();
    void leggiHandle();
    void attivaProcedura();
    void lanciaProcedura(const QString& Programma);

    QString nomeChiave() const { return nomeChiave_; }
    // Whether the last attivaProcedura or lanciaProcedura started the called
    // program or brought its running instance forward.
    bool proceduraRaggiunta() const { return proceduraRaggiunta_; }

private:
    const Session& session_;
    store::MessageBoxes& boxes_;
    QString nomeProceduraChiamata_;
    QString nomeProceduraChiamante_;
    QString nomeChiave_;
    QString codiceDitta_;
    QString codiceDittaChiamata_;
    QString numeroHandleString_;
    int numeroHandle_ = 0;
    bool proceduraRaggiunta_ = false;
};

// Starts or activates the sibling program whose section is `name`, then hands
// it the company code (never an empty one, and only when the program was
// started or brought forward).
void LaunchModule(const QString& name, const Session& session, store::MessageBoxes& boxes);

// The busy mouse pointer around a hand-off.
void BusyPointerOn();
void BusyPointerOff();

}  // namespace shell
