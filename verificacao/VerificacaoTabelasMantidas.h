#pragma once

#include "CatalogoRelacoes.h"
#include "ChaveEstrangeira.h"
#include "ProblemaVerificacao.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class TConexao;

// The destination's foreign keys between a table the run copies and one of the tables it
// keeps: after the run, the one side holds the source's rows and the other the destination's
// own, so neither database alone can tell whether the key can be created again. The child's
// distinct values are grouped by its server; a kept parent's keys are read once from the
// destination and shared by every key that points at it; a copied parent is asked only for
// the values the kept child holds.
class TVerificacaoTabelasMantidas {
public:
    TVerificacaoTabelasMantidas(TConexao& origem, TConexao& destino)
        : FOrigem(origem), FDestino(destino)
    {
    }

    // Filho: the child as the source has it when it is copied (its yes/no NULLs counted as
    // 'N'), nullptr when it is kept. CamposIdentificacao: the columns that name a child row.
    std::vector<TProblemaVerificacao> Verificar(const TChaveEstrangeira& chave,
                                                const TRelacaoCatalogo* filhoCopiado,
                                                const std::vector<std::string>& camposIdentificacao);

private:
    using TValores = std::vector<std::string>;
    std::set<TValores> AusentesMantidos(const TChaveEstrangeira& chave,
                                        const std::vector<TValores>& procurados);
    std::set<TValores> PaisCopiados(const TChaveEstrangeira& chave,
                                    const std::vector<TValores>& procurados);

    TConexao& FOrigem;
    TConexao& FDestino;
};
