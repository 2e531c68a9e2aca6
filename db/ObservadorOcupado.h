#pragma once

// The database layer knows no window. It announces when database work begins and ends to one
// process-wide observer, which the window turns into its busy pointer. Work may nest (a row
// copy runs queries): the observer hears every begin and end and keeps its own count.
class IObservadorOcupado {
public:
    virtual ~IObservadorOcupado() = default;
    virtual void InicioTrabalhoBanco() = 0;
    virtual void FimTrabalhoBanco() = 0;
};

// Installs the observer (nullptr: none). Called once at start-up, before any database work.
void DefinirObservadorOcupado(IObservadorOcupado* observador);

// Announces one database operation for as long as it lives.
class TTrabalhoBanco {
public:
    TTrabalhoBanco();
    ~TTrabalhoBanco();
    TTrabalhoBanco(const TTrabalhoBanco&) = delete;
    TTrabalhoBanco& operator=(const TTrabalhoBanco&) = delete;
};
