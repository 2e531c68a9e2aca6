#pragma once

#include "RelatorioMigracao.h"
#include "ResumoMigracao.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A report that keeps everything the engine shows, for the tests to read back; it also
// remembers whether a bar was ever told a position past its maximum.
class TRelatorioGravado : public IRelatorioMigracao {
public:
    void LimparLog() override;
    void AcrescentarLinhaLog(const std::string& linha) override;
    void MarcarFalha() override { EmVermelho = true; }
    void DefinirMaximo(TBarra barra, int maximo) override;
    void DefinirPosicao(TBarra barra, int posicao) override;
    void Abandonar(const std::string& mensagem, bool comFocoBotaoOk) override;
    void MostrarFalhaGatilho(const std::string& mensagem) override;

    void MostrarResumo(const TResumoMigracao& resumo) override { Resumo = resumo.Tabelas(); ++Resumos; }
    void MostrarResultado(const std::string& linha, bool falha) override
    {
        Resultados.push_back({linha, falha});
    }

    // The texts of the log lines, without their time stamps.
    std::vector<std::string> Textos() const;
    // The same without the summary that closes a run (its heading to its totals), and the
    // summary's own lines.
    std::vector<std::string> TextosSemResumo() const;
    std::vector<std::string> TextosResumo() const;

    std::vector<TResumoTabela> Resumo;
    int Resumos = 0;
    struct TResultado {
        std::string Linha;
        bool Falha;
    };
    std::vector<TResultado> Resultados;

    // Every log line but the one that closes each command's log, which says where the log
    // was kept: it is in LinhaFinal, so that the tests read a command's own last line.
    std::vector<std::string> Linhas;
    std::string LinhaFinal;
    int Limpezas = 0;
    bool EmVermelho = false;
    std::vector<std::string> Abandonos;
    bool FocoNoOk = false;
    std::vector<std::string> FalhasGatilho;
    int Posicao[2] = {0, 0};
    int Maximo[2] = {100, 100};
    bool PassouDoMaximo = false;
    // Called with each line's text as it arrives.
    std::function<void(const std::string&)> AoAcrescentar;
    // Called with the row copy's progress, from the thread that copies.
    std::function<void(const std::string& tabela, std::int64_t linhas)> AoCopiar;

    void ProgressoCopia(const std::string& tabela, std::int64_t linhas, double) override
    {
        if (AoCopiar)
            AoCopiar(tabela, linhas);
    }
};
