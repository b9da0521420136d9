#pragma once

#include "common/Form.h"

// The plain grey background that stays behind the other windows until End.
class hatter final : public Form
{
public:
    hatter();

private:
    void build(FormWidget &window) override;
};
