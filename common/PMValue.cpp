#include "common/PMValue.h"

PMValue::~PMValue() = default;
