#include "tasks/TaskOptionsList.h"

VK_DEFINE_OPTIONS(TaskOptionsList, VK_TASK_OPTIONS_LIST)
