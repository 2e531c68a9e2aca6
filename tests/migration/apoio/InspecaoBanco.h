#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class TConexao;

// What a user would look at to tell whether a migration did its job, read from the catalogue
// and the rows of a real database.

std::int64_t Contar(TConexao& conexao, const std::string& sql);
std::string Valor(TConexao& conexao, const std::string& sql);

// The user tables (views left out), by name.
std::vector<std::string> Tabelas(TConexao& conexao);

// Every row of a table as one text per row, sorted, with every column but the computed ones and
// COD_ATUALIZACAO (the columns a migration copies).
std::vector<std::string> LinhasTabela(TConexao& conexao, const std::string& tabela);

// Of these tables, those with rows that hold the same rows on both sides, compared row by row
// as LinhasTabela reads them, and whose every referred table is such a table too: what a run
// keeps as it is.
std::set<std::string> TabelasIguais(TConexao& origem, TConexao& destino,
                                    const std::vector<std::string>& tabelas);

// Every foreign key: table, name (or "<gerado>" for INTEG_n), index name when a user gave
// one, columns, referenced table and columns in position order, and both rules.
std::set<std::string> ChavesEstrangeiras(TConexao& conexao);

// User sequences and their current values.
std::map<std::string, std::int64_t> Sequencias(TConexao& conexao);

// User triggers (not the check-constraint ones) and whether each is active.
std::map<std::string, bool> Gatilhos(TConexao& conexao);

// Everything of a database that a migration sets out to change, for telling two databases
// apart: every table's rows, the foreign keys, the triggers and whether each is active, the
// sequences and their values. Keyed "tabela X", "chaves", "gatilhos", "sequencias".
std::map<std::string, std::vector<std::string>> Retrato(TConexao& conexao);
