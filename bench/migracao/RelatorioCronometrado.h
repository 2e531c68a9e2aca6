#pragma once

#include "RelatorioMigracao.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A report that times the run: each advance of the overall bar closes one step of the run, in
// the order the Start command takes them.
class TRelatorioCronometrado : public IRelatorioMigracao {
public:
    using TRelogio = std::chrono::steady_clock;

    struct TEtapa {
        std::string Nome;
        double Segundos;
    };

    // Starts the clock; the first span, until the log is cleared, is the version check.
    void Iniciar();

    void LimparLog() override;
    void AcrescentarLinhaLog(const std::string& linha) override;
    void MarcarFalha() override {}
    void DefinirMaximo(TBarra, int) override {}
    void DefinirPosicao(TBarra barra, int posicao) override;
    void Abandonar(const std::string& mensagem, bool) override;
    void MostrarFalhaGatilho(const std::string&) override { ++FalhasGatilho; }
    // Keeps the rows and seconds of the copy by the way the rows took.
    void MostrarResumo(const TResumoMigracao& resumo) override;

    const std::vector<TEtapa>& Etapas() const noexcept { return FEtapas; }
    std::string UltimaLinha;
    int FalhasGatilho = 0;
    struct TCaminho {
        std::int64_t Linhas = 0;
        double Segundos = 0;
    };
    TCaminho Servidor, Cliente;

private:
    void Fechar(const std::string& nome);

    TRelogio::time_point FMarca;
    bool FEmPassos = false;
    std::vector<TEtapa> FEtapas;
};
