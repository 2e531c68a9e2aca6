#pragma once

#include "Campo.h"

#include <string>
#include <utility>
#include <vector>

class TConexao;

// A query whose every row is read into memory at Abrir. The rows stay as they were read, so an
// open query outlives statements that change or drop what it listed. Parameters are written
// ":NOME" in the text (outside quotes) and bound as text.
class TConsulta {
public:
    explicit TConsulta(TConexao* conexao = nullptr, std::string sql = {});
    ~TConsulta();
    TConsulta(const TConsulta&) = delete;
    TConsulta& operator=(const TConsulta&) = delete;

    // Connection and text may change only while the query is closed.
    void DefinirConexao(TConexao* conexao);
    TConexao* Conexao() const noexcept { return FConexao; }
    void DefinirSQL(std::string sql);
    const std::string& SQL() const noexcept { return FSQL; }
    void Parametro(const std::string& nome, const std::string& valor);

    void Abrir();
    void Fechar() noexcept;
    bool Aberta() const noexcept { return FAberta; }

    void Primeiro() noexcept;
    void Proximo() noexcept;
    bool Eof() const noexcept;
    int TotalRegistros() const noexcept { return static_cast<int>(FLinhas.size()); }
    // 1-based number of the current row (0 when there is none), and a move to one.
    int NumeroRegistro() const noexcept;
    void IrPara(int numeroRegistro) noexcept;

    // A column of the current row; past the last row, or on an empty result, every column is
    // NULL. A name the result does not have fails.
    const TCampo& Campo(const std::string& nome) const;
    const TCampo& Campo(int posicao) const;
    const std::vector<std::string>& NomesColunas() const noexcept { return FColunas; }

private:
    void LerResultado(const std::string& textoPreparado,
                      const std::vector<std::string>& ordemParametros);

    TConexao* FConexao;
    std::string FSQL;
    std::vector<std::pair<std::string, std::string>> FParametros;
    bool FAberta = false;
    std::vector<std::string> FColunas;
    std::vector<std::vector<TCampo>> FLinhas;
    std::size_t FPosicao = 0;
};

// Replaces each ":NOME" marker outside quoted text and comments with "?", returning the new
// text and the marker names in the order they appear.
std::pair<std::string, std::vector<std::string>> TrocarParametros(const std::string& sql);
