#pragma once
unsigned host_time_ms();
