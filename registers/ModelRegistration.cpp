#include "ModelRegistration.h"

#include "Factories.h"
#include "KategorieNarzedziModel.h"
#include "LokalizacjeModel.h"
#include "MagazynyModel.h"
#include "MiejscaUzytkowaniaModel.h"
#include "NarzedziaModel.h"
#include "OvUprawnieniaAdminModel.h"
#include "OvUprawnieniaMgzModel.h"
#include "PracownicyModel.h"
#include "UzytkownicyModel.h"

void registerMasterDataModels()
{
    SFModels *models = SFModels::instance();
    models->registerModel(new MagazynyModel);
    models->registerModel(new LokalizacjeModel);
    models->registerModel(new MiejscaUzytkowaniaModel);
    models->registerModel(new PracownicyModel);
    models->registerModel(new KategorieNarzedziModel);
    models->registerModel(new UzytkownicyModel);
    models->registerModel(new OvUprawnieniaMgzModel);
    models->registerModel(new OvUprawnieniaAdminModel);
    models->registerModel(new NarzedziaModel);
    models->registerModel(new NarzedziaSkladaneModel);
}
