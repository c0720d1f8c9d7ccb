// Registers the pictures and the icon of the forms; call before a form is created.
#pragma once

void InitFormResources();
