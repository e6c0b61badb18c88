# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: run test build bench dist clean

run:
	@scripts/run.sh

test:
	@scripts/test.sh

build:
	@scripts/install-deps.sh
	@scripts/build.sh

bench:
	@scripts/bench.sh

dist:
	@echo "make dist is not built yet. Once the setup program lands it will build Vonu-Setup.exe"
	@echo "carrying Vonu.exe and the browser extension's files. Nothing has been built."
	@exit 1

clean:
	rm -rf build
