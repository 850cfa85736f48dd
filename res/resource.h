#pragma once

#define IDI_KORIMO 1
