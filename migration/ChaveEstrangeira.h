#pragma once

#include <string>
#include <vector>

// One foreign key of the destination as its catalogue defines it: enough to drop it and to
// create it again exactly as it was.
struct TChaveEstrangeira {
    std::string Tabela;
    std::string Nome;   // the constraint's name
    std::string Indice; // the name of the index that enforces it
    bool IndiceDescendente = false;
    std::vector<std::string> Campos; // in segment-position order
    std::string TabelaReferenciada;
    std::vector<std::string> CamposReferenciados; // paired with Campos by position
    std::string RegraAtualizacao; // RESTRICT, NO ACTION, CASCADE, SET NULL, SET DEFAULT
    std::string RegraExclusao;

    // Whether the server named the constraint (INTEG_n) because its creator gave no name. Such
    // a key is created again without a name, so the server names it anew.
    bool NomeGerado() const;

    // "alter table T add constraint C foreign key (A,B) references R (X,Y)", followed by the
    // rules other than RESTRICT and, where its creator named the index otherwise than the
    // constraint, by the index clause.
    std::string SQLCriar() const;
    std::string SQLExcluir() const;

    // Tells two readings of the same key apart from other keys: by table and name where the
    // name is a user's, by definition where the server made it up.
    std::string Identidade() const;
    // What makes two keys the same key, whatever each is named: the table and its columns,
    // what they reference, both rules.
    std::string Definicao() const;
};
