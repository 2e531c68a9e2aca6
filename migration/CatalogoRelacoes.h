#pragma once

#include <map>
#include <string>
#include <vector>

class TConexao;

// One column of a relation as the catalogue defines it: what decides whether the copy can
// carry it and what values the destination's column accepts.
struct TColunaCatalogo {
    std::string Nome;
    std::string Dominio; // RDB$FIELD_SOURCE: a named domain (LOGICO) or the server's RDB$n
    int Tipo = 0;        // RDB$FIELD_TYPE
    int SubTipo = 0;
    int Caracteres = 0;  // text: the declared length in characters
    int Precisao = 0;    // exact numbers: the declared precision (0 for plain integers)
    int Escala = 0;      // digits after the point (the catalogue keeps it negative; here positive)
    int ConjuntoCaracteres = 0;
    bool Calculada = false;
    bool Vetor = false;
    bool Obrigatoria = false; // NOT NULL on the column or on its domain
    bool Padrao = false;      // a default on the column or on its domain
    int Colacao = 0;
    std::string NomeConjunto; // text and text blobs: the character set's name
    std::string NomeColacao;

    bool Texto() const noexcept { return Tipo == 14 || Tipo == 37; }
    bool TextoLongo() const noexcept { return Tipo == 261 && SubTipo == 1; }
    bool Numero() const noexcept;
    bool SimNao() const noexcept { return Dominio == "LOGICO"; }
    // The column's type as a PSQL variable declares it, its collation included unless told
    // otherwise (a cast takes none); empty for a type the copy cannot carry.
    std::string TipoSql(bool comColacao = true) const;
    // The columns a run fills: all but the computed ones and COD_ATUALIZACAO.
    bool Copiada() const noexcept { return !Calculada && Nome != "COD_ATUALIZACAO"; }
};

struct TRelacaoCatalogo {
    bool Visao = false;
    std::vector<TColunaCatalogo> Colunas; // in position order

    const TColunaCatalogo* Coluna(const std::string& nome) const;
};

// Every user relation of a database (views too: the copy's select reads a source view as
// readily as a table), by name.
using TCatalogoRelacoes = std::map<std::string, TRelacaoCatalogo>;

TCatalogoRelacoes LerCatalogoRelacoes(TConexao& conexao);
