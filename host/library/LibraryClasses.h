#pragma once
// The component library's classes (TMessages, TButtonFlat, TDateEditPlus) in the class registry.
void registerLibraryClasses();
