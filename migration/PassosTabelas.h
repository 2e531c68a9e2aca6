#pragma once

#include "ChaveEstrangeira.h"
#include "ContagemOrigem.h"
#include "Consulta.h"
#include "ContextoMigracao.h"
#include "CopiaTabela.h"
#include "EnderecoExterno.h"
#include "ListaTextos.h"
#include "PassosIndices.h"
#include "ResultadoProva.h"
#include "ResumoMigracao.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TProvaMigracao;

// Which tables are copied, and their copy: every user table of the destination but the
// reference tables it keeps as they are, emptied all first and then refilled one by one from
// the source, with the columns as the destination defines them. The one exception is the
// table of applied scripts, which holds the schema version every run checks first: it is
// emptied and refilled in one transaction, so that a run that ends part way leaves its old
// rows or its new ones, never none.
//
// The indexes of a refilled table that back no constraint are inactive while its rows go in
// (TPassosIndices).
//
// Given a proof, a table whose destination already holds the source's rows (count, then
// digest) is kept as it is: a run after one that failed part way copies only what is missing.
class TPassosTabelas {
public:
    explicit TPassosTabelas(const TContextoMigracao& contexto);

    // Whether the destination's server can read the source itself, asked before anything
    // changes: when it cannot (the server does not reach the source's path, or refuses the
    // external read), every table goes the client's way, so that no table fails for the way
    // it took after the tables were emptied.
    void DecidirCaminhoCopia();
    void CarregarTabelas();
    void ImportarTabelas();

    // The select that copies one table: every column of the destination's table except the
    // computed ones and COD_ATUALIZACAO, which the destination fills itself.
    std::string GetSQLSelect(const std::string& tabela);

    // The tables the run copies, as CarregarTabelas found them.
    const TListaTextos& Tabelas() const noexcept { return FTabelas; }

    // The destination tables the run keeps as they are.
    const TListaTextos& Excecoes() const noexcept { return FExcecoes; }

    // The proof that tells which tables already equal the source's; none: every table is
    // emptied and refilled.
    void DefinirProva(TProvaMigracao* prova) noexcept { FProva = prova; }
    // The foreign keys the run creates again after the copy: a table is kept only when every
    // table it refers to is kept too, so that no kept row is left pointing at an emptied one.
    void DefinirChaves(std::vector<TChaveEstrangeira> chaves) { FChaves = std::move(chaves); }
    // The indexes the last ImportarTabelas could not activate again.
    const std::vector<std::string>& IndicesNaoReativados() const noexcept
    {
        return FIndices.NaoReativados();
    }
    // The verdicts of the tables this run kept as they were.
    const std::vector<TVereditoTabela>& Mantidas() const noexcept { return FMantidas; }
    // Each table's rows, time and way, as the copy went (the table it failed on included);
    // begun by ImportarTabelas.
    TResumoMigracao& Resumo() noexcept { return FResumo; }

private:
    void LimparTabela(const std::string& tabela);
    void ImportarTabela(const std::string& tabela);
    std::int64_t CopiarTabelaVersao(const std::string& tabela);
    // The rows of every table to copy in the source, for the displays to measure the copy
    // by; counted right before it, on the source, which the run does not change meanwhile.
    bool Mantida(const std::string& tabela) const;
    void RegistrarMantida(const std::string& tabela);

    TContextoMigracao FContexto;
    // How the destination's server reads the source; nothing when it cannot, and every table
    // then goes through this program.
    std::optional<TLeituraExterna> FLeituraExterna;
    TListaTextos FTabelas;
    // The count of the source beside the copy, while the tables are copied.
    TContagemOrigem* FContagem = nullptr;
    const TListaTextos FExcecoes;
    TConsulta sqlTabelas;
    TConsulta sqlSelectFields;
    TCopiaTabela batMove;
    TLadoCopia& batMoveReader;
    TLadoCopia& batMoveWriter;
    TProvaMigracao* FProva = nullptr;
    TPassosIndices FIndices;
    std::vector<TVereditoTabela> FMantidas;
    std::vector<TChaveEstrangeira> FChaves;
    TResumoMigracao FResumo;
};
