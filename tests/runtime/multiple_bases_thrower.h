#pragma once

void ThrowBoth();
