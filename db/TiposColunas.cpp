#include "TiposColunas.h"

#include "Consulta.h"
#include "NomeSql.h"
#include "Texto.h"

namespace {

// RDB$FIELDS.RDB$FIELD_TYPE
enum : int {
    TipoSmallint = 7,
    TipoInteger = 8,
    TipoFloat = 10,
    TipoDate = 12,
    TipoTime = 13,
    TipoChar = 14,
    TipoBigint = 16,
    TipoBoolean = 23,
    TipoDouble = 27,
    TipoTimestamp = 35,
    TipoVarchar = 37,
    TipoBlob = 261,
};

constexpr int SubtipoTexto = 1;

// Scaled integers are declared by their storage, not by their declared precision: a
// decimal(4,2) is kept in an integer, and a numeric(4,2) would not hold all of its values.
std::string Numerico(const char* inteiro, int digitos, int escala)
{
    if (escala == 0)
        return inteiro;
    return "numeric(" + std::to_string(digitos) + "," + std::to_string(-escala) + ")";
}

} // namespace

std::map<std::string, TTipoColuna> LerTiposColunas(TConexao& conexao, const std::string& tabela)
{
    TConsulta consulta(
        &conexao,
        "select trim(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, coalesce(F.RDB$FIELD_SCALE, 0), "
        "coalesce(F.RDB$CHARACTER_LENGTH, F.RDB$FIELD_LENGTH / coalesce(CS.RDB$BYTES_PER_CHARACTER, 1)), "
        "trim(CS.RDB$CHARACTER_SET_NAME), trim(CO.RDB$COLLATION_NAME), "
        "coalesce(F.RDB$FIELD_SUB_TYPE, 0) "
        "from RDB$RELATION_FIELDS RF "
        "join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "left join RDB$CHARACTER_SETS CS on CS.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID "
        "left join RDB$COLLATIONS CO on CO.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID "
        "and CO.RDB$COLLATION_ID = coalesce(RF.RDB$COLLATION_ID, F.RDB$COLLATION_ID, 0) "
        "where RF.RDB$RELATION_NAME = :TABELA");
    consulta.Parametro("TABELA", ConverterDoBanco(tabela));
    consulta.Abrir();
    std::map<std::string, TTipoColuna> tipos;
    for (; !consulta.Eof(); consulta.Proximo()) {
        TTipoColuna& tipo = tipos[ConverterParaBanco(consulta.Campo(0).ComoTexto())];
        const int escala = consulta.Campo(2).ComoInteiro();
        auto texto = [&](const char* nome) {
            tipo.Caracteres = static_cast<std::size_t>(consulta.Campo(3).ComoInteiro());
            const std::string colacao = consulta.Campo(5).ComoTexto();
            return std::string(nome) + "(" + std::to_string(tipo.Caracteres) +
                   ") character set " + NomeSql(consulta.Campo(4).ComoTexto()) +
                   (colacao.empty() ? "" : " collate " + NomeSql(colacao));
        };
        switch (consulta.Campo(1).ComoInteiro()) {
        case TipoSmallint: tipo.Declaracao = Numerico("smallint", 4, escala); break;
        case TipoInteger: tipo.Declaracao = Numerico("integer", 9, escala); break;
        case TipoBigint: tipo.Declaracao = Numerico("bigint", 18, escala); break;
        case TipoFloat: tipo.Declaracao = "float"; break;
        case TipoDouble: tipo.Declaracao = "double precision"; break;
        case TipoDate: tipo.Declaracao = "date"; break;
        case TipoTime: tipo.Declaracao = "time"; break;
        case TipoTimestamp: tipo.Declaracao = "timestamp"; break;
        case TipoBoolean: tipo.Declaracao = "boolean"; break;
        case TipoChar: tipo.Declaracao = texto("char"); break;
        case TipoVarchar: tipo.Declaracao = texto("varchar"); break;
        case TipoBlob: {
            const int subtipo = consulta.Campo(6).ComoInteiro();
            tipo.Declaracao = subtipo == SubtipoTexto
                                  ? "blob sub_type text character set " +
                                        NomeSql(consulta.Campo(4).ComoTexto())
                                  : "blob sub_type " + std::to_string(subtipo);
            break;
        }
        default: break;
        }
    }
    return tipos;
}
