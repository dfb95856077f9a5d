// TCA model containers (figures, scene models and the player model).
#include "fuzz/harness.h"

#include "model/tca_model.h"

FUZZ_HARNESS(tca_model)
{
    ModelContainer model{};
    if (!read_tca(&model, data, static_cast<uint32_t>(size))) return;
    const char* keywords[] = {"home", "away"};
    ModelContainer* derived = derive_tca_model(&model, keywords, 2);
    free_derived_tca_model(&derived);
    free_tca_model(&model);
}
