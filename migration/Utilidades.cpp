#include "Utilidades.h"

#include "Consulta.h"

#include <algorithm>

namespace {

// Puts the query back on the row it was on when the walk began, whatever ends the walk.
class TRestaurarPosicao {
public:
    explicit TRestaurarPosicao(TConsulta& consulta)
        : FConsulta(consulta), FRegistro(consulta.NumeroRegistro())
    {
    }
    ~TRestaurarPosicao()
    {
        if (FRegistro > 0 && FConsulta.TotalRegistros() > 0)
            FConsulta.IrPara(std::min(FRegistro, FConsulta.TotalRegistros()));
    }
    TRestaurarPosicao(const TRestaurarPosicao&) = delete;
    TRestaurarPosicao& operator=(const TRestaurarPosicao&) = delete;

private:
    TConsulta& FConsulta;
    int FRegistro;
};

} // namespace

void PercorrerDataSet(TConsulta& ADataSet, const std::function<void(TConsulta&)>& AProc)
{
    TRestaurarPosicao restaurar(ADataSet);
    for (ADataSet.Primeiro(); !ADataSet.Eof(); ADataSet.Proximo())
        AProc(ADataSet);
}

void PercorrerDataSet(TConsulta& ADataSet, const std::function<void()>& ACallBack)
{
    PercorrerDataSet(ADataSet, [&ACallBack](TConsulta&) { ACallBack(); });
}
